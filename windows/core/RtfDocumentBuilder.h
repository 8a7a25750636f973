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

constexpr int MaxTabs = 8;
constexpr int DefaultHalfPoints = 24;

struct CharProps
{
    int font = -1;                    // -1: the document's default font
    int halfPoints = DefaultHalfPoints;
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
    std::array<int, MaxTabs> tabs{};
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
    void setDefaultFont(int number) { defaultFont_ = number; }
    // The font of text with properties p; nullptr when the font table does not hold it.
    const Font *fontOf(const CharProps &p) const;
    void addColor(const QColor &color) { colors_.append(color); }

    // The row definition (\trowd, \cellx, borders) that the next table row follows.
    void startRowDefinition();
    void addCellBoundary(int twips);
    void setRowBorders() { rowBorders_ = true; }

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

    QTextCursor cursor_;

    QHash<int, Font> fonts_;
    QSet<QString> families_;         // the face names the document shows
    int defaultFont_ = -1;
    QList<QColor> colors_;

    QString run_;
    CharProps runProps_;
    CharProps runFormatProps_;
    QTextCharFormat runFormat_;
    bool runFormatValid_ = false;
    ParaProps contentPara_;
    bool blockHasContent_ = false;
    bool pendingBreak_ = false;
    ParaProps blockFormatProps_;
    QTextBlockFormat blockFormat_;
    bool blockFormatValid_ = false;

    QTextTable *table_ = nullptr;
    QTextTable *tableAbove_ = nullptr;   // the table the insertion point's block follows
    QList<int> cellx_;
    bool rowBorders_ = false;
    int rowIndex_ = 0;
    int column_ = 0;
    bool rowPending_ = false;
    bool cellPending_ = false;
};

} // namespace rtf
