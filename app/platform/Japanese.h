#pragma once
class QApplication;

// Japanese user interface whatever the system locale: Qt's own translations (dialog and
// message-box buttons), and the Windows Japanese face names mapped to installed fonts.
void installJapaneseUi(QApplication &app);
void installJapaneseFontSubstitutions();
