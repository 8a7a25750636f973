#pragma once
// Builds the QTextDocument an RTF file describes: runs of formatted text, paragraphs and tables,
// from the properties the reader keeps for each group.
#include <QColor>
#include <QFont>
#include <QHash>
#include <QList>
#include <QSet>
#include <QString>
#include <QTextBlockFormat>
#include <QTextCharFormat>
#include <QTextCursor>

#include <array>
#include <cstdint>

class QTextDocument;
class QTextTable;

namespace rtf {

constexpr int kMaxTabs = 8;
constexpr int kDefaultHalfPoints = 24;

struct CharProps
{
    int font = -1;                    // -1: the document's default font
    int halfPoints = kDefaultHalfPoints;
    int fg = -1;                      // colour table indexes, -1: none
    int bg = -1;
    std::uint8_t underline = QTextCharFormat::NoUnderline;
    std::uint8_t valign = QTextCharFormat::AlignNormal;
    std::uint8_t caps = QFont::MixedCase;
    bool bold = false;
    bool italic = false;
    bool strike = false;
    bool hidden = false;
    bool operator==(const CharProps &) const = default;
};

enum class Alignment : std::uint8_t { Left, Center, Right, Justify };

struct ParaProps
{
    int left = 0, right = 0, first = 0, before = 0, after = 0;   // twips
    int line = 0;                     // \sl
    bool lineMultiple = false;        // \slmult1
    Alignment align = Alignment::Left;
    bool inTable = false;
    std::uint8_t tabCount = 0;
    std::array<int, kMaxTabs> tabs{};
    bool operator==(const ParaProps &) const = default;
};

struct Font
{
    QString name;
    int charset = -1;
    int codePage = 0;                 // \cpg, 0: from the charset
    QFont::StyleHint hint = QFont::AnyStyle;
    bool fixedPitch = false;
};

class DocumentBuilder
{
public:
    // Appends to doc at its end; the caller clears it first.
    explicit DocumentBuilder(QTextDocument &doc);

    // The document's tables of fonts and colours, filled as the reader meets them.
    void addFont(int number, Font font);
    void setDefaultFont(int number) { m_defaultFont = number; }
    // The font of text with properties p; nullptr when the font table does not hold it.
    const Font *fontOf(const CharProps &p) const;
    void addColor(const QColor &color) { m_colors.append(color); }

    // The row definition (\trowd, \cellx, borders) that the next table row follows.
    void startRowDefinition();
    void addCellBoundary(int twips);
    void setRowBorders() { m_rowBorders = true; }

    // Text with the properties of its group; a single character may be a tab or a line separator.
    void addText(QStringView text, const CharProps &chr, const ParaProps &para);
    void paragraph(const CharProps &chr, const ParaProps &para);
    void cell(const CharProps &chr);
    void row();
    // Writes out what is still pending; call once at the end.
    void finish();

private:
    QTextCharFormat charFormat(const CharProps &p) const;
    const QTextCharFormat &cachedCharFormat(const CharProps &p);
    QTextBlockFormat blockFormat(const ParaProps &p);
    void flushRun();
    void applyBlockFormat(const ParaProps &p);
    void takePendingBreak();
    void enterTableContext(bool inTable, const CharProps &chr);
    void finishBlock();
    void openTable();
    void trimTable();
    void closeTable();

    QTextCursor m_cursor;

    QHash<int, Font> m_fonts;
    QSet<QString> m_families;         // the face names the document shows
    int m_defaultFont = -1;
    QList<QColor> m_colors;

    QString m_run;
    CharProps m_runProps;
    CharProps m_runFormatProps;
    QTextCharFormat m_runFormat;
    bool m_runFormatValid = false;
    ParaProps m_contentPara;
    bool m_blockHasContent = false;
    bool m_pendingBreak = false;
    ParaProps m_blockFormatProps;
    QTextBlockFormat m_blockFormat;
    bool m_blockFormatValid = false;

    QTextTable *m_table = nullptr;
    QTextTable *m_tableAbove = nullptr;   // the table the insertion point's block follows
    QList<int> m_cellx;
    bool m_rowBorders = false;
    int m_rowIndex = 0;
    int m_column = 0;
    bool m_rowPending = false;
    bool m_cellPending = false;
};

} // namespace rtf
