#pragma once

#include <QString>
#include <QTextEdit>

// Read-only pane that shows a whole rich text (RTF) given through TextRTF.
class RichTextBox : public QTextEdit
{
    Q_OBJECT
    Q_PROPERTY(QString TextRTF READ TextRTF WRITE setTextRTF)

public:
    explicit RichTextBox(QWidget *parent = nullptr);

    // The RTF last given, exactly as given.
    QString TextRTF() const;
    // Replaces everything shown with the formatted contents of rtf.
    void setTextRTF(const QString &rtf);

private:
    QString rtf_;
};
