#pragma once
// Characters a Qt text pane cannot hold as they are: it turns U+2028 and U+2029 into line breaks
// and uses U+FDD0 and U+FDD1 for its own frames. In the pane each is held by a stand-in, the
// noncharacters U+FDD2 to U+FDD5, which nothing else produces; the pane's text is mapped back on
// the way out, so a file keeps them byte for byte.
#include <QString>

QString ToPaneText(QString text);
QString FromPaneText(QString text);
bool IsHiddenStandIn(QChar c);
