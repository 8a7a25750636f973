#include "windows/core/RtfDocumentBuilder.h"

#include "windows/core/Twips.h"

#include <QTextDocument>
#include <QTextTable>

#include <algorithm>
#include <numeric>

namespace rtf {
namespace {

constexpr int kMaxColumns = 64;
// Every change to a QTextTable's rows makes it rebuild its whole grid: rows are added in
// doubling batches (the spare ones removed at the end) so a long table is read in linear time.
constexpr int kMaxRowBatch = 4096;

// QTextDocument finds a format among those it already holds by a hash that leaves out
// list-valued properties such as font families and tab positions. Formats that differ only
// there would share one hash, and each new one would be compared with all the others before
// it: a copy of the list in a form the hash sees keeps reading linear.
constexpr int kFamilyKey = QTextFormat::UserProperty;
constexpr int kTabStopsKey = QTextFormat::UserProperty + 1;
// Laying text out, Qt's font cache looks through every font it holds each time it takes a new
// one. Real documents name a few dozen faces; beyond this many, text shows in the default face
// of its kind, so that a hostile font table cannot make the layout quadratic.
constexpr qsizetype kMaxFamilies = 1000;

} // namespace

DocumentBuilder::DocumentBuilder(QTextDocument &doc) : m_cursor(&doc) {}

void DocumentBuilder::addFont(int number, Font font)
{
    if (!m_families.contains(font.name)) {
        if (m_families.size() < kMaxFamilies)
            m_families.insert(font.name);
        else
            font.name.clear();
    }
    m_fonts.insert(number, font);
}

const Font *DocumentBuilder::fontOf(const CharProps &p) const
{
    const auto it = m_fonts.constFind(p.font >= 0 ? p.font : m_defaultFont);
    return it == m_fonts.cend() ? nullptr : &*it;
}

void DocumentBuilder::startRowDefinition()
{
    m_cellx.clear();
    m_rowBorders = false;
}

void DocumentBuilder::addCellBoundary(int twips)
{
    if (m_cellx.size() < kMaxColumns)
        m_cellx.append(twips);
}

void DocumentBuilder::addText(QStringView text, const CharProps &chr, const ParaProps &para)
{
    enterTableContext(para.inTable, chr);
    takePendingBreak();
    if (!m_run.isEmpty() && !(chr == m_runProps))
        flushRun();
    if (m_run.isEmpty())
        m_runProps = chr;
    m_run.append(text);
    if (!m_blockHasContent || !(m_contentPara == para)) {
        m_contentPara = para;
        m_blockHasContent = true;
    }
}

void DocumentBuilder::finish()
{
    flushRun();
    if (m_blockHasContent)
        applyBlockFormat(m_contentPara);
    trimTable();
}

QTextCharFormat DocumentBuilder::charFormat(const CharProps &p) const
{
    QTextCharFormat f;
    if (const Font *font = fontOf(p)) {
        if (!font->name.isEmpty()) {
            f.setFontFamilies(QStringList{font->name});
            f.setProperty(kFamilyKey, font->name);
        }
        if (font->hint != QFont::AnyStyle)
            f.setFontStyleHint(font->hint);
        if (font->fixedPitch)
            f.setFontFixedPitch(true);
    }
    f.setFontPointSize(p.halfPoints / 2.0);
    if (p.bold)
        f.setFontWeight(QFont::Bold);
    if (p.italic)
        f.setFontItalic(true);
    if (p.underline != QTextCharFormat::NoUnderline)
        f.setUnderlineStyle(QTextCharFormat::UnderlineStyle(p.underline));
    if (p.strike)
        f.setFontStrikeOut(true);
    if (p.fg >= 0 && p.fg < m_colors.size() && m_colors[p.fg].isValid())
        f.setForeground(m_colors[p.fg]);
    if (p.bg >= 0 && p.bg < m_colors.size() && m_colors[p.bg].isValid())
        f.setBackground(m_colors[p.bg]);
    if (p.valign != QTextCharFormat::AlignNormal)
        f.setVerticalAlignment(QTextCharFormat::VerticalAlignment(p.valign));
    if (p.caps != QFont::MixedCase)
        f.setFontCapitalization(QFont::Capitalization(p.caps));
    return f;
}

QTextBlockFormat DocumentBuilder::blockFormat(const ParaProps &p)
{
    if (m_blockFormatValid && p == m_blockFormatProps)
        return m_blockFormat;
    QTextBlockFormat f;
    switch (p.align) {
    case Alignment::Left: f.setAlignment(Qt::AlignLeft); break;
    case Alignment::Center: f.setAlignment(Qt::AlignHCenter); break;
    case Alignment::Right: f.setAlignment(Qt::AlignRight); break;
    case Alignment::Justify: f.setAlignment(Qt::AlignJustify); break;
    }
    const qreal px = TwipsPerPixel;
    if (p.left)
        f.setLeftMargin(p.left / px);
    if (p.right)
        f.setRightMargin(p.right / px);
    if (p.first)
        f.setTextIndent(p.first / px);
    if (p.before)
        f.setTopMargin(p.before / px);
    if (p.after)
        f.setBottomMargin(p.after / px);
    if (p.line != 0) {
        if (p.lineMultiple && p.line > 0)
            f.setLineHeight(p.line * 100.0 / 240.0, QTextBlockFormat::ProportionalHeight);
        else if (p.line > 0)
            f.setLineHeight(p.line / px, QTextBlockFormat::MinimumHeight);
        else
            f.setLineHeight(-p.line / px, QTextBlockFormat::FixedHeight);
    }
    // RTF measures tab stops from the left margin, Qt from where the line starts: the first
    // line's, which matters here, since that is where a list number and its \tab stand.
    const int lineStart = p.left + p.first;
    QList<qreal> stops;
    for (int k = 0; k < p.tabCount; ++k)
        if (p.tabs[k] > lineStart)
            stops.append((p.tabs[k] - lineStart) / px);
    // A hanging indent is a tab stop too, so the text after a list number lines up with the
    // paragraph's following lines.
    if (p.first < 0)
        stops.append(-p.first / px);
    std::sort(stops.begin(), stops.end());
    QList<QTextOption::Tab> tabs;
    for (qreal stop : stops)
        tabs.append(QTextOption::Tab(stop, QTextOption::LeftTab));
    if (!tabs.isEmpty()) {
        f.setTabPositions(tabs);
        f.setProperty(kTabStopsKey, int(qHashRange(stops.cbegin(), stops.cend())));
    }
    m_blockFormatProps = p;
    m_blockFormat = f;
    m_blockFormatValid = true;
    return f;
}

const QTextCharFormat &DocumentBuilder::cachedCharFormat(const CharProps &p)
{
    if (!m_runFormatValid || !(p == m_runFormatProps)) {
        m_runFormat = charFormat(p);
        m_runFormatProps = p;
        m_runFormatValid = true;
    }
    return m_runFormat;
}

void DocumentBuilder::flushRun()
{
    if (m_run.isEmpty())
        return;
    m_cursor.insertText(m_run, cachedCharFormat(m_runProps));
    m_run.resize(0);   // keeps the buffer for the next run
}

void DocumentBuilder::paragraph(const CharProps &chr, const ParaProps &para)
{
    enterTableContext(para.inTable, chr);
    flushRun();
    takePendingBreak();
    applyBlockFormat(para);
    // An empty paragraph takes its height from the block's character format.
    m_cursor.setBlockCharFormat(cachedCharFormat(chr));
    m_blockHasContent = false;
    // The new block is made only when something goes into it: a table that follows needs
    // none (it would stand as an empty line before the table), nor does the end of a cell
    // or of the document.
    m_pendingBreak = true;
}

void DocumentBuilder::applyBlockFormat(const ParaProps &p)
{
    const QTextBlockFormat f = blockFormat(p);
    m_cursor.setBlockFormat(f);
    // Qt lays the first block after a table out without its top margin: the table's bottom
    // margin keeps that space instead.
    if (m_tableAbove) {
        if (f.topMargin() > 0) {
            QTextTableFormat tf = m_tableAbove->format();
            tf.setBottomMargin(f.topMargin());
            m_tableAbove->setFormat(tf);
        }
        m_tableAbove = nullptr;
    }
}

void DocumentBuilder::takePendingBreak()
{
    if (m_pendingBreak) {
        m_cursor.insertBlock();
        m_pendingBreak = false;
        m_tableAbove = nullptr;
    }
}

// Tables

// Moves the insertion point where content of a paragraph in (or out of) a table belongs:
// opens a table, starts a pending row or cell, or leaves the table.
void DocumentBuilder::enterTableContext(bool inTable, const CharProps &chr)
{
    if (!inTable) {
        if (m_table)
            closeTable();
        return;
    }
    if (!m_table) {
        openTable();
        return;
    }
    if (m_rowPending) {
        finishBlock();
        ++m_rowIndex;
        if (m_rowIndex >= m_table->rows())
            m_table->appendRows(std::clamp(m_table->rows(), 1, kMaxRowBatch));
        const int wanted = std::min<int>(int(m_cellx.size()), kMaxColumns);
        if (wanted > m_table->columns())
            m_table->appendColumns(wanted - m_table->columns());
        m_column = 0;
        m_cursor = m_table->cellAt(m_rowIndex, 0).lastCursorPosition();
        m_rowPending = m_cellPending = false;
    } else if (m_cellPending) {
        finishBlock();
        m_cellPending = false;
        if (m_column + 1 >= m_table->columns()) {
            if (m_table->columns() >= kMaxColumns) {
                // No room for another cell: its content joins the last one.
                m_runProps = chr;
                m_run.append(QChar('\t'));
                return;
            }
            m_table->appendColumns(1);
        }
        ++m_column;
        m_cursor = m_table->cellAt(m_rowIndex, m_column).lastCursorPosition();
    }
}

// Ends the block the insertion point is in before it moves to a cell or out of a table.
void DocumentBuilder::finishBlock()
{
    flushRun();
    if (m_blockHasContent)
        applyBlockFormat(m_contentPara);
    m_blockHasContent = false;
    m_pendingBreak = false;
}

void DocumentBuilder::openTable()
{
    finishBlock();
    const int columns = std::clamp<int>(int(m_cellx.size()), 1, kMaxColumns);
    QTextTableFormat format;
    format.setBorder(m_rowBorders ? 1 : 0);
    format.setBorderStyle(QTextFrameFormat::BorderStyle_Solid);
    format.setBorderCollapse(true);
    format.setCellSpacing(0);
    format.setCellPadding(3);
    // The pane's width follows its window, so the table spans it and the cell boundaries
    // keep their proportions rather than their absolute places.
    format.setWidth(QTextLength(QTextLength::PercentageLength, 100));
    if (m_cellx.size() == columns) {
        QList<int> widths;
        int previous = std::min(0, m_cellx.first());
        for (int x : m_cellx) {
            widths.append(std::max(x - previous, TwipsPerPixel));
            previous = x;
        }
        const qreal total = std::accumulate(widths.cbegin(), widths.cend(), 0.0);
        QList<QTextLength> lengths;
        for (int w : widths)
            lengths.append(QTextLength(QTextLength::PercentageLength, 100.0 * w / total));
        format.setColumnWidthConstraints(lengths);
    }
    m_tableAbove = nullptr;
    m_table = m_cursor.insertTable(1, columns, format);
    m_rowIndex = 0;
    m_column = 0;
    m_rowPending = m_cellPending = false;
    m_cursor = m_table->cellAt(0, 0).lastCursorPosition();
}

void DocumentBuilder::trimTable()
{
    const int spare = m_table ? m_table->rows() - (m_rowIndex + 1) : 0;
    if (spare > 0)
        m_table->removeRows(m_rowIndex + 1, spare);
}

void DocumentBuilder::closeTable()
{
    finishBlock();
    trimTable();
    m_tableAbove = m_table;
    m_table = nullptr;
    m_rowPending = m_cellPending = false;
    m_cursor.movePosition(QTextCursor::End);
}

void DocumentBuilder::cell(const CharProps &chr)
{
    enterTableContext(true, chr);
    finishBlock();
    m_cellPending = true;
}

void DocumentBuilder::row()
{
    if (!m_table)
        return;
    finishBlock();
    m_rowPending = true;
    m_cellPending = false;
}

} // namespace rtf
