#include "windows/core/RtfDocumentBuilder.h"

#include "windows/core/Twips.h"

#include <QTextDocument>
#include <QTextTable>

#include <algorithm>
#include <numeric>

namespace rtf {
namespace {

constexpr int MaxColumns = 64;
// Every change to a QTextTable's rows makes it rebuild its whole grid: rows are added in
// doubling batches (the spare ones removed at the end) so a long table is read in linear time.
constexpr int MaxRowBatch = 4096;

// QTextDocument finds a format among those it already holds by a hash that leaves out
// list-valued properties such as font families and tab positions. Formats that differ only
// there would share one hash, and each new one would be compared with all the others before
// it: a copy of the list in a form the hash sees keeps reading linear.
constexpr int FamilyKey = QTextFormat::UserProperty;
constexpr int TabStopsKey = QTextFormat::UserProperty + 1;
// Laying text out, Qt's font cache looks through every font it holds each time it takes a new
// one. Real documents name a few dozen faces; beyond this many, text shows in the default face
// of its kind, so that a hostile font table cannot make the layout quadratic.
constexpr qsizetype MaxFamilies = 1000;

} // namespace

DocumentBuilder::DocumentBuilder(QTextDocument &doc) : cursor_(&doc) {}

void DocumentBuilder::addFont(int number, Font font)
{
    if (!families_.contains(font.name)) {
        if (families_.size() < MaxFamilies)
            families_.insert(font.name);
        else
            font.name.clear();
    }
    fonts_.insert(number, font);
}

const Font *DocumentBuilder::fontOf(const CharProps &p) const
{
    const auto it = fonts_.constFind(p.font >= 0 ? p.font : defaultFont_);
    return it == fonts_.cend() ? nullptr : &*it;
}

void DocumentBuilder::startRowDefinition()
{
    cellx_.clear();
    rowBorders_ = false;
}

void DocumentBuilder::addCellBoundary(int twips)
{
    if (cellx_.size() < MaxColumns)
        cellx_.append(twips);
}

void DocumentBuilder::addText(QStringView text, const CharProps &chr, const ParaProps &para)
{
    enterTableContext(para.inTable, chr);
    takePendingBreak();
    if (!run_.isEmpty() && !(chr == runProps_))
        flushRun();
    if (run_.isEmpty())
        runProps_ = chr;
    run_.append(text);
    if (!blockHasContent_ || !(contentPara_ == para)) {
        contentPara_ = para;
        blockHasContent_ = true;
    }
}

void DocumentBuilder::finish()
{
    flushRun();
    if (blockHasContent_)
        applyBlockFormat(contentPara_);
    trimTable();
}

QTextCharFormat DocumentBuilder::charFormat(const CharProps &p) const
{
    QTextCharFormat f;
    if (const Font *font = fontOf(p)) {
        if (!font->name.isEmpty()) {
            f.setFontFamilies(QStringList{font->name});
            f.setProperty(FamilyKey, font->name);
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
    if (p.fg >= 0 && p.fg < colors_.size() && colors_[p.fg].isValid())
        f.setForeground(colors_[p.fg]);
    if (p.bg >= 0 && p.bg < colors_.size() && colors_[p.bg].isValid())
        f.setBackground(colors_[p.bg]);
    if (p.valign != QTextCharFormat::AlignNormal)
        f.setVerticalAlignment(QTextCharFormat::VerticalAlignment(p.valign));
    if (p.caps != QFont::MixedCase)
        f.setFontCapitalization(QFont::Capitalization(p.caps));
    return f;
}

QTextBlockFormat DocumentBuilder::blockFormat(const ParaProps &p)
{
    if (blockFormatValid_ && p == blockFormatProps_)
        return blockFormat_;
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
        f.setProperty(TabStopsKey, int(qHashRange(stops.cbegin(), stops.cend())));
    }
    blockFormatProps_ = p;
    blockFormat_ = f;
    blockFormatValid_ = true;
    return f;
}

const QTextCharFormat &DocumentBuilder::cachedCharFormat(const CharProps &p)
{
    if (!runFormatValid_ || !(p == runFormatProps_)) {
        runFormat_ = charFormat(p);
        runFormatProps_ = p;
        runFormatValid_ = true;
    }
    return runFormat_;
}

void DocumentBuilder::flushRun()
{
    if (run_.isEmpty())
        return;
    cursor_.insertText(run_, cachedCharFormat(runProps_));
    run_.resize(0);   // keeps the buffer for the next run
}

void DocumentBuilder::paragraph(const CharProps &chr, const ParaProps &para)
{
    enterTableContext(para.inTable, chr);
    flushRun();
    takePendingBreak();
    applyBlockFormat(para);
    // An empty paragraph takes its height from the block's character format.
    cursor_.setBlockCharFormat(cachedCharFormat(chr));
    blockHasContent_ = false;
    // The new block is made only when something goes into it: a table that follows needs
    // none (it would stand as an empty line before the table), nor does the end of a cell
    // or of the document.
    pendingBreak_ = true;
}

void DocumentBuilder::applyBlockFormat(const ParaProps &p)
{
    const QTextBlockFormat f = blockFormat(p);
    cursor_.setBlockFormat(f);
    // Qt lays the first block after a table out without its top margin: the table's bottom
    // margin keeps that space instead.
    if (tableAbove_) {
        if (f.topMargin() > 0) {
            QTextTableFormat tf = tableAbove_->format();
            tf.setBottomMargin(f.topMargin());
            tableAbove_->setFormat(tf);
        }
        tableAbove_ = nullptr;
    }
}

void DocumentBuilder::takePendingBreak()
{
    if (pendingBreak_) {
        cursor_.insertBlock();
        pendingBreak_ = false;
        tableAbove_ = nullptr;
    }
}

// Tables

// Moves the insertion point where content of a paragraph in (or out of) a table belongs:
// opens a table, starts a pending row or cell, or leaves the table.
void DocumentBuilder::enterTableContext(bool inTable, const CharProps &chr)
{
    if (!inTable) {
        if (table_)
            closeTable();
        return;
    }
    if (!table_) {
        openTable();
        return;
    }
    if (rowPending_) {
        finishBlock();
        ++rowIndex_;
        if (rowIndex_ >= table_->rows())
            table_->appendRows(std::clamp(table_->rows(), 1, MaxRowBatch));
        const int wanted = std::min<int>(int(cellx_.size()), MaxColumns);
        if (wanted > table_->columns())
            table_->appendColumns(wanted - table_->columns());
        column_ = 0;
        cursor_ = table_->cellAt(rowIndex_, 0).lastCursorPosition();
        rowPending_ = cellPending_ = false;
    } else if (cellPending_) {
        finishBlock();
        cellPending_ = false;
        if (column_ + 1 >= table_->columns()) {
            if (table_->columns() >= MaxColumns) {
                // No room for another cell: its content joins the last one.
                runProps_ = chr;
                run_.append(QChar('\t'));
                return;
            }
            table_->appendColumns(1);
        }
        ++column_;
        cursor_ = table_->cellAt(rowIndex_, column_).lastCursorPosition();
    }
}

// Ends the block the insertion point is in before it moves to a cell or out of a table.
void DocumentBuilder::finishBlock()
{
    flushRun();
    if (blockHasContent_)
        applyBlockFormat(contentPara_);
    blockHasContent_ = false;
    pendingBreak_ = false;
}

void DocumentBuilder::openTable()
{
    finishBlock();
    const int columns = std::clamp<int>(int(cellx_.size()), 1, MaxColumns);
    QTextTableFormat format;
    format.setBorder(rowBorders_ ? 1 : 0);
    format.setBorderStyle(QTextFrameFormat::BorderStyle_Solid);
    format.setBorderCollapse(true);
    format.setCellSpacing(0);
    format.setCellPadding(3);
    // The pane's width follows its window, so the table spans it and the cell boundaries
    // keep their proportions rather than their absolute places.
    format.setWidth(QTextLength(QTextLength::PercentageLength, 100));
    if (cellx_.size() == columns) {
        QList<int> widths;
        int previous = std::min(0, cellx_.first());
        for (int x : cellx_) {
            widths.append(std::max(x - previous, TwipsPerPixel));
            previous = x;
        }
        const qreal total = std::accumulate(widths.cbegin(), widths.cend(), 0.0);
        QList<QTextLength> lengths;
        for (int w : widths)
            lengths.append(QTextLength(QTextLength::PercentageLength, 100.0 * w / total));
        format.setColumnWidthConstraints(lengths);
    }
    tableAbove_ = nullptr;
    table_ = cursor_.insertTable(1, columns, format);
    rowIndex_ = 0;
    column_ = 0;
    rowPending_ = cellPending_ = false;
    cursor_ = table_->cellAt(0, 0).lastCursorPosition();
}

void DocumentBuilder::trimTable()
{
    const int spare = table_ ? table_->rows() - (rowIndex_ + 1) : 0;
    if (spare > 0)
        table_->removeRows(rowIndex_ + 1, spare);
}

void DocumentBuilder::closeTable()
{
    finishBlock();
    trimTable();
    tableAbove_ = table_;
    table_ = nullptr;
    rowPending_ = cellPending_ = false;
    cursor_.movePosition(QTextCursor::End);
}

void DocumentBuilder::cell(const CharProps &chr)
{
    enterTableContext(true, chr);
    finishBlock();
    cellPending_ = true;
}

void DocumentBuilder::row()
{
    if (!table_)
        return;
    finishBlock();
    rowPending_ = true;
    cellPending_ = false;
}

} // namespace rtf
