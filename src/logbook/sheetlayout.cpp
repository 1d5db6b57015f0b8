#include "logbook/sheetlayout.h"

#include "common/int16.h"
#include "logbook/record_layout.h"
#include "logbook/record_slots.h"

namespace korv::logbook {

namespace {

namespace column = records::column;
constexpr int kColM = column::M;
constexpr int kRow7 = records::kFirstRow;

const std::array<HeaderCaption, 26> kCaptions = {{
    {"A1:A6", QStringLiteral("Число месяца"), VAlign::Bottom, true, true, true},
    {"B1:B6", QStringLiteral("Тип самолёта"), VAlign::Bottom, true, true, true},
    {"C1:C6", QStringLiteral("Время суток"), VAlign::Bottom, true, true, true},
    {"D1:D6", QStringLiteral("С какого сидения выполнен полёт"), VAlign::Bottom, true, true, true},
    {"E1:E6", QStringLiteral("Номер упражнения и краткое содержание задания"), VAlign::Center, true, false, true},
    {"G6", QStringLiteral("ч.  м."), VAlign::Bottom, false, false, false},
    {"H6", QStringLiteral("ч.  м."), VAlign::Bottom, false, false, false},
    {"I6", QStringLiteral("ч.  м."), VAlign::Bottom, false, false, false},
    {"J6", QStringLiteral("ч.  м."), VAlign::Bottom, false, false, false},
    {"F1:F6", QStringLiteral("Количество полётов"), VAlign::Bottom, true, true, true},
    {"G1:J1", QStringLiteral("Налёт"), VAlign::Bottom, false, false, true},
    {"G2:G5", QStringLiteral("общий"), VAlign::Bottom, false, true, true},
    {"H2:H5", QStringLiteral("в закрытой кабине"), VAlign::Bottom, true, true, true},
    {"I3:I5", QStringLiteral("всего"), VAlign::Bottom, false, true, true},
    {"J3:J5", QStringLiteral("в облаках"), VAlign::Bottom, false, true, true},
    {"K1:K6", QStringLiteral("Высота полёта, км (макс./мин.)"), VAlign::Bottom, true, true, true},
    {"L1:N6", QStringLiteral("Метеорологические условия в период полёта"), VAlign::Bottom, true, true, true},
    {"O1:O6", QStringLiteral("Взлётов при взлётном минимуме погоды"), VAlign::Bottom, true, true, true},
    // "cамолётом" begins with a Latin c, as in the paper logbook's template.
    {"P2:P6", QStringLiteral("Наименование системы и способ упр. cамолётом"), VAlign::Bottom, true, true, true},
    {"P1:S1", QStringLiteral("Применение посадочных систем"), VAlign::Bottom, true, false, true},
    {"Q3:Q6", QStringLiteral("заходов"), VAlign::Bottom, false, true, true},
    {"R3:R6", QStringLiteral("посадок"), VAlign::Bottom, false, true, true},
    {"Q2:S2", QStringLiteral("количество"), VAlign::Bottom, false, false, true},
    {"S3:S6", QStringLiteral("в т.ч.при уст. миним. погоды"), VAlign::Bottom, true, true, true},
    {"T1:T6", QStringLiteral("Оценка боевого применения"), VAlign::Bottom, true, true, true},
    {"U1:U6", QStringLiteral("Оценка за полёт"), VAlign::Bottom, true, true, true},
}};

// I2:J2 carries "в СМУ"; it is written after the row heights, apart from the other captions.
const HeaderCaption kSmu{"I2:J2", QStringLiteral("в СМУ"), VAlign::Bottom, false, false, true};

CellFormat captionLook(const HeaderCaption& c) {
    CellFormat f;
    f.hAlign = HAlign::Center;
    f.vAlign = c.vAlign;
    f.wrap = c.wrap;
    f.orientation = c.vertical ? TextOrientation::Upward : TextOrientation::Horizontal;
    f.indent = 0;
    f.shrink = false;
    return f;
}

CellFormat captionFont() {
    CellFormat f;
    f.fontName = kCaptionFont;
    f.fontSize = kCaptionSize;
    f.bold = false;
    f.italic = false;
    f.underline = false;
    f.fontColor = AutomaticColor;
    return f;
}

struct SlotColumn {
    int column;
    const char* numberFormat;
    HAlign hAlign;
};

// The record slot's columns in order, M (two cells, treated apart) included.
const SlotColumn kSlot[] = {
    {column::A, "dd", HAlign::Right},     {column::B, "@", HAlign::Left},       {column::C, "General", HAlign::Center},
    {column::D, "@", HAlign::Center},     {column::E, "@", HAlign::Left},       {column::F, "0", HAlign::Right},
    {column::G, "[h]:mm", HAlign::Right}, {column::H, "[h]:mm", HAlign::Right}, {column::I, "[h]:mm", HAlign::Right},
    {column::J, "[h]:mm", HAlign::Right}, {column::K, "0.0", HAlign::Right},    {column::L, "0", HAlign::Center},
    {column::M, "0", HAlign::Center},     {column::N, "0.0", HAlign::Center},   {column::O, "0", HAlign::Center},
    {column::P, "@", HAlign::Left},       {column::Q, "0", HAlign::Center},     {column::R, "0", HAlign::Center},
    {column::S, "0", HAlign::Center},     {column::T, "0", HAlign::Center},     {column::U, "0", HAlign::Center},
};

class Steps {
public:
    Steps(int& value, CreationProgress& p) : value_(value), p_(p) {}
    void step() {
        value_ = int(toInt16(static_cast<long long>(value_) + 1));
        p_.progress(value_);
    }

private:
    int& value_;
    CreationProgress& p_;
};

QStringList latin(std::initializer_list<const char*> items) {
    QStringList l;
    for (const char* i : items)
        l << QString::fromLatin1(i);
    return l;
}

CellFormat mergePreparation() {
    CellFormat prep;
    prep.hAlign = HAlign::Center;
    prep.vAlign = VAlign::Bottom;
    prep.wrap = false;
    prep.orientation = TextOrientation::Horizontal;
    prep.indent = 0;
    prep.shrink = false;
    return prep;
}

void mergeAll(Sheet& sh, const QStringList& ranges) {
    sh.applyAll(ranges, mergePreparation());
    for (const QString& r : ranges)
        sh.range(r).merge();
}

void buildHeader(Sheet& sh, Steps& steps) {
    // Primary merges. L1:L6 is merged first and then absorbed by L1:N6, so only L1:N6 is needed.
    mergeAll(sh, latin({"A1:A6", "B1:B6", "C1:C6", "D1:D6", "E1:E6", "F1:F6", "G1:J1", "K1:K6", "L1:N6", "O1:O6",
                        "P1:S1", "T1:T6", "U1:U6"}));
    steps.step();

    for (int c = 0; c < int(kColumnWidths.size()); ++c)
        sh.setColumnWidth(c, kColumnWidths[size_t(c)]);
    steps.step();

    mergeAll(sh, latin({"Q2:S2", "I2:J2", "J3:J5", "I3:I5", "H2:H5", "G2:G5", "P2:P6", "Q3:Q6", "R3:R6", "S3:S6"}));
    steps.step();

    // Every caption in the caption font over its whole length: the font is set on the whole header.
    sh.range(QStringLiteral("A1:U6")).apply(captionFont());
    steps.step();

    // Captions: ranges of the same look get it in one call, then all texts in one block write.
    QList<QPair<CellFormat, QStringList>> looks;
    auto sameLook = [](const CellFormat& a, const CellFormat& b) {
        return a.vAlign == b.vAlign && a.wrap == b.wrap && a.orientation == b.orientation;
    };
    QList<QVariantList> texts(6, QVariantList(21, QString()));
    for (const HeaderCaption& c : kCaptions) {
        const CellFormat look = captionLook(c);
        auto it = std::find_if(looks.begin(), looks.end(), [&](const auto& l) { return sameLook(l.first, look); });
        if (it == looks.end())
            looks.append({look, {QString::fromLatin1(c.range)}});
        else
            it->second << QString::fromLatin1(c.range);
        const Range range = sh.range(QString::fromLatin1(c.range));
        texts[range.firstRow()][range.firstColumn()] = c.text;
    }
    for (const auto& [look, ranges] : looks)
        sh.applyAll(ranges, look);
    // Five progress steps belong to the captions; batched, they come together.
    for (int i = 0; i < 5; ++i)
        steps.step();
    sh.range(QStringLiteral("A1:U6")).setData(texts);

    sh.setRowHeight(0, 19.5);
    sh.setRowHeight(4, 19.5);
    sh.setRowHeight(3, 19.5);
    sh.setRowHeight(2, 21);
    steps.step();

    Range smu = sh.range(QString::fromLatin1(kSmu.range));
    smu.apply(captionLook(kSmu));
    sh.range(QStringLiteral("I2")).setText(kSmu.text);
}

void buildRecordSlot(Sheet& sh, Steps& steps) {
    QStringList slotColumns;
    for (int c = column::A; c <= records::kLastColumn; ++c) {
        if (c != kColM)
            slotColumns << sh.cells(kRow7, c, kRow7 + 1, c).address();
    }
    sh.applyAll(slotColumns, mergePreparation());
    for (int i = 0; i < slotColumns.size(); ++i) {
        sh.range(slotColumns[i]).merge();
        if (i == 5 || i == 11 || i == 19)
            steps.step(); // A-F, G-L, N-U
    }

    // Column M: two cells, one value above the other, with a medium rule between them.
    Range m78 = sh.cells(kRow7, kColM, kRow7 + 1, kColM);
    Borders none;
    none.left = none.top = none.right = none.bottom = none.insideV = none.diagonalDown = none.diagonalUp =
        LineWeight::None;
    none.insideH = LineWeight::Medium;
    m78.setBorders(none);
    CellFormat m7;
    m7.hAlign = HAlign::Center;
    m7.vAlign = VAlign::Bottom;
    CellFormat m8 = m7;
    m8.vAlign = VAlign::Top;
    sh.cell(kRow7, kColM).apply(m7);
    sh.cell(kRow7 + 1, kColM).apply(m8);
    steps.step();

    // V7:V8 lies outside the header: merged, centred at the bottom, default font.
    Range v = sh.cells(kRow7, column::V, kRow7 + 1, column::V);
    CellFormat vLook;
    vLook.hAlign = HAlign::Center;
    vLook.vAlign = VAlign::Bottom;
    vLook.wrap = false;
    vLook.orientation = TextOrientation::Horizontal;
    vLook.numberFormat = QStringLiteral("General");
    v.apply(vLook);
    v.merge();
    steps.step();

    CellFormat font = captionFont();
    int n = 0;
    for (const SlotColumn& col : kSlot) {
        CellFormat f = font;
        f.numberFormat = QString::fromLatin1(col.numberFormat);
        f.hAlign = col.hAlign;
        f.wrap = false;
        f.orientation = TextOrientation::Horizontal;
        if (col.hAlign == HAlign::Left)
            f.indent = 0;
        if (col.column == kColM) {
            f.vAlign = VAlign::Bottom;
            sh.cell(kRow7, kColM).apply(f);
            f.vAlign = VAlign::Top;
            sh.cell(kRow7 + 1, kColM).apply(f);
        } else {
            f.vAlign = VAlign::Center;
            sh.cells(kRow7, col.column, kRow7 + 1, col.column).apply(f);
        }
        if (++n % 4 == 0)
            steps.step(); // five steps over the 21 columns
    }

    // The covered cells of the slot in two format runs, which keeps saving fast (record_slots.h).
    shareCoveredCellFormats(sh, kRow7);

    Borders m7Rule;
    m7Rule.left = m7Rule.top = m7Rule.right = m7Rule.diagonalDown = m7Rule.diagonalUp = LineWeight::None;
    m7Rule.bottom = LineWeight::Medium;
    sh.cell(kRow7, kColM).setBorders(m7Rule);
    steps.step();
}

void buildBorders(Sheet& sh) {
    Borders header;
    header.left = header.top = header.right = header.insideH = header.insideV = header.diagonalDown =
        header.diagonalUp = LineWeight::None;
    header.bottom = LineWeight::Thick;
    sh.range(QStringLiteral("A1:U6")).setBorders(header);

    Borders u;
    u.left = u.top = u.bottom = u.diagonalDown = u.diagonalUp = LineWeight::None;
    u.right = LineWeight::Thick;
    sh.range(QStringLiteral("U:U")).setBorders(u);
}

} // namespace

const std::array<HeaderCaption, 26>& headerCaptions() { return kCaptions; }

void FormatLogSheet(Sheet& sheet, int sheetNo, int& progressValue, CreationProgress& progress) {
    Steps steps(progressValue, progress);
    buildHeader(sheet, steps); // 10 steps
    if (sheetNo == 1)
        buildRecordSlot(sheet, steps); // 11 steps
    buildBorders(sheet);
    // A printed sheet fits the page's width and carries no header or footer of the office's own (the
    // office would print "Лист4" above and "Page 1" below).
    sheet.setPageSetup(PageSetup{});
    steps.step();
    // Rows 1-6 and columns A-L stay in place: the panes are frozen at M7.
    sheet.freezePanes(kColM, kRow7);
    sheet.select(QStringLiteral("M7")); // the cell cursor where a record's values begin
    steps.step();
    if (sheetNo == 1) {
        sheet.range(QStringLiteral("A7:U8")).copyTo(sheet.range(QStringLiteral("A9")));
        steps.step();
    }
}

} // namespace korv::logbook
