#include "app/panels/PropertyClockSimul.h"

#include "app/controls/ColorButton.h"
#include "app/controls/ControlMessages.h"
#include "app/controls/Edits.h"
#include "app/controls/MessageBox.h"
#include "app/panels/FontChoice.h"
#include "app/panels/PictureModes.h"
#include "app/panels/PropertyClockDigit.h"
#include "core/api/Nodes.h"
#include "core/api/ItemRecord.h"
#include "platform/LangPack.h"
#include "platform/MessageEvent.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPalette>
#include <QPushButton>

#include <algorithm>
#include <vector>

namespace panels {
namespace {
namespace rec = records::clocksimul;

struct ColourField {
    int controlId;
    records::U32 field;
    int label;
};
// In the order of the record.
constexpr ColourField kColours[5] = {
    {CPropertyClockSimul::IdColour1, rec::SecondColour, 6301},
    {CPropertyClockSimul::IdColour2, rec::MinuteColour, 6302},
    {CPropertyClockSimul::IdColour3, rec::HourColour, 6303},
    {CPropertyClockSimul::IdColour4, rec::HourMarkColour, 6304},
    {CPropertyClockSimul::IdColour5, rec::MinuteMarkColour, 6305},
};
template <auto F, int Lo, int Hi>
constexpr CPropertyClockSimul::NumberField number(int controlId, int initial, unsigned suffix)
{
    return {recordField<F, Lo, Hi>(controlId, true), Lo, Hi, initial, suffix};
}
constexpr int kNumberLabels[8] = {6309, 6310, 6313, 6314, 6315, 6316, 6317, 6318};

} // namespace

const std::array<CPropertyClockSimul::NumberField, 8>& CPropertyClockSimul::numberFields()
{
    static const std::array<NumberField, 8> table{{
        number<rec::HourMarkSize, 0, 10>(IdHourMarkSize, 4, 58102),
        number<rec::MinuteMarkSize, 0, 10>(IdMinuteMarkSize, 0, 58102),
        number<rec::SecondLength, 0, 100>(IdSecondLength, 92, 58101),
        number<rec::MinuteLength, 0, 100>(IdMinuteLength, 86, 58101),
        number<rec::HourLength, 0, 100>(IdHourLength, 72, 58101),
        number<rec::SecondWidth, 0, 5>(IdSecondWidth, 1, 58102),
        number<rec::MinuteWidth, 0, 10>(IdMinuteWidth, 4, 58102),
        number<rec::HourWidth, 0, 10>(IdHourWidth, 6, 58102),
    }};
    return table;
}

std::span<const FieldBinding> CPropertyClockSimul::bindings()
{
    static const std::vector<FieldBinding> table = [] {
        std::vector<FieldBinding> t{
            {IdStay, [](const tagItemData& n) -> qint64 { return n.PlayTime; },
             [](tagItemData& n, qint64 v) { n.PlayTime = std::int32_t(v); }, false},
            recordFlag<rec::FaceFlags, 1u>(IdWeekday, true),
            recordFlag<rec::FaceFlags, 2u>(IdDate, true),
            recordField<rec::HourMarkStyle, 0, UINT32_MAX>(IdHourMarkStyle, true),
            recordField<rec::MinuteMarkStyle, 0, UINT32_MAX>(IdMinuteMarkStyle, true),
            recordField<rec::PictureMode, 0, UINT32_MAX>(IdPictureMode, true),
        };
        for (const NumberField& f : numberFields())
            t.push_back(f.binding);
        return t;
    }();
    return table;
}

CPropertyClockSimul::CPropertyClockSimul(PanelContext ctx, QWidget* parent)
    : CPanelBase(kTemplate, ctx, parent)
{
}

bool CPropertyClockSimul::OnInitDialog()
{
    SetTitleFromResource(48247, false);
    // Five columns of label and field, five rows high: colours; marks;
    // hand lengths; hand widths; title, date, picture and stay.
    auto* grid = new QGridLayout(this);
    setPanelMargins(grid);

    const QColor background = palette().color(QPalette::Window);
    const QColor workspace = palette().color(QPalette::Dark);
    for (int i = 0; i < 5; ++i) {
        auto* b = withId(new controls::CColorButton(this), kColours[i].controlId);
        b->SetDefaultText(platform::langString(42002));
        b->SetCustomText(platform::langString(42001));
        b->SetDefaultColour(platform::fromQColor(background));
        b->SetColour(platform::fromQColor(workspace));
        m_colours[std::size_t(i)] = b;
        grid->addWidget(makeLabel(kColours[i].label), i, 0);
        grid->addWidget(b, i, 1);
    }
    m_colours[4]->setEnabled(false);

    m_hourStyle = withId(new QComboBox(this), IdHourMarkStyle);
    m_minuteStyle = withId(new QComboBox(this), IdMinuteMarkStyle);
    controls::FillComboFromResource(48265, m_hourStyle);
    controls::FillComboFromResource(48265, m_minuteStyle);
    m_minuteStyle->setEnabled(false);
    grid->addWidget(makeLabel(6307), 0, 2);
    grid->addWidget(m_hourStyle, 0, 3);
    grid->addWidget(makeLabel(6308), 1, 2);
    grid->addWidget(m_minuteStyle, 1, 3);

    // Mark sizes under the mark styles, then a column of lengths and one of widths.
    const auto& fields = numberFields();
    for (std::size_t i = 0; i < fields.size(); ++i) {
        if (i == 2) {
            // The picture mode closes the marks' column; made here so Tab walks each column down.
            m_pictureMode = withId(new QComboBox(this), IdPictureMode);
            fillPictureModes(m_pictureMode);
            grid->addWidget(makeLabel(6312), 4, 2);
            grid->addWidget(m_pictureMode, 4, 3);
        }
        const int id = fields[i].binding.controlId;
        auto* e = withId(new controls::CRangeEdit(this), id);
        e->setNumeric(true);
        e->SetSuffixFromResource(fields[i].suffix);
        e->SetRange(fields[i].lo, fields[i].hi);
        e->setText(QString::number(fields[i].initial));
        m_numbers[i] = e;
        const int row = i < 2 ? int(i) + 2 : int(i - 2) % 3;
        const int column = i < 2 ? 2 : i < 5 ? 4 : 6;
        grid->addWidget(makeLabel(kNumberLabels[i]), row, column);
        grid->addWidget(e, row, column + 1);
        connect(e, &QLineEdit::textChanged, this, [this, e, id] { writeBinding(bindings(), id, e->GetValue()); });
    }
    m_numbers[1]->setEnabled(false);

    grid->addWidget(makeLabel(6306), 0, 8);
    m_text = withId(new QLineEdit(this), IdText);
    m_text->setMaxLength(int(rec::Title.MaxLength()));
    grid->addWidget(m_text, 0, 9, 1, 2);
    m_titleFont = withId(new QPushButton(dialogText(IdTitleFont), this), IdTitleFont);
    m_dateFont = withId(new QPushButton(dialogText(IdDateFont), this), IdDateFont);
    grid->addWidget(m_titleFont, 1, 8);
    grid->addWidget(m_dateFont, 1, 9, 1, 2);
    m_weekday = withId(new QCheckBox(dialogText(IdWeekday), this), IdWeekday);
    m_date = withId(new QCheckBox(dialogText(IdDate), this), IdDate);
    grid->addWidget(m_weekday, 2, 8);
    grid->addWidget(m_date, 2, 9, 1, 2);
    grid->addWidget(makeLabel(6311), 3, 8);
    m_picture = withId(new QLineEdit(this), IdPicture);
    m_picture->setMaxLength(int(rec::Picture.MaxLength()));
    m_picture->setMinimumWidth(120);
    grid->addWidget(m_picture, 3, 9);
    m_browse = withId(new QPushButton(dialogText(IdBrowse), this), IdBrowse);
    grid->addWidget(m_browse, 3, 10);
    grid->addWidget(makeLabel(6188), 4, 8);
    m_stay = withId(new controls::CRangeEdit(this), IdStay);
    m_stay->setNumeric(true);
    m_stay->SetSuffixFromResource(58100);
    m_stay->setText(QStringLiteral("20"));
    grid->addWidget(m_stay, 4, 9, 1, 2);
    grid->setColumnStretch(9, 1);
    grid->setRowStretch(5, 1);

    connect(m_titleFont, &QPushButton::clicked, this, [this] { onFont(rec::TitleFont, rec::TitleColour); });
    connect(m_dateFont, &QPushButton::clicked, this, [this] { onFont(rec::DateFont, rec::DateColour); });
    connect(m_weekday, &QCheckBox::clicked, this, [this](bool on) { writeBinding(bindings(), IdWeekday, on ? 1 : 0); });
    connect(m_date, &QCheckBox::clicked, this, [this](bool on) { writeBinding(bindings(), IdDate, on ? 1 : 0); });
    connect(m_hourStyle, &QComboBox::activated, this, [this](int i) {
        onCombo(IdHourMarkStyle, i);
        // The larger marks need their full size to read as marks.
        if (canWrite() && (i == 3 || i == 4))
            m_numbers[0]->SetValue(10);
    });
    connect(m_minuteStyle, &QComboBox::activated, this, [this](int i) { onCombo(IdMinuteMarkStyle, i); });
    connect(m_pictureMode, &QComboBox::activated, this, [this](int i) { onCombo(IdPictureMode, i); });
    connect(m_text, &QLineEdit::textChanged, this, [this](const QString& t) {
        if (canWrite())
            writeContent([&] { setBoundedText(*m_record, rec::Title, t); });
    });
    connect(m_picture, &QLineEdit::textChanged, this, [this](const QString& t) {
        if (!canWrite())
            return;
        bool stretched = false;
        writeContent([&] {
            setBoundedText(*m_record, rec::Picture, t);
            // A chosen picture always shows: "no picture" gives way to stretching.
            const qint64 mode = m_record->get(rec::PictureMode);
            if (!t.isEmpty() && modeForChosenPicture(mode) != mode) {
                m_record->set(rec::PictureMode, std::uint32_t(modeForChosenPicture(mode)));
                stretched = true;
            }
        });
        if (stretched)
            m_pictureMode->setCurrentIndex(pictureModeIndex(m_record->get(rec::PictureMode)));
    });
    connect(m_browse, &QPushButton::clicked, this, &CPropertyClockSimul::onBrowse);
    connect(m_stay, &QLineEdit::textChanged, this, [this] { writeBinding(bindings(), IdStay, m_stay->GetValue()); });
    return true;
}

bool CPropertyClockSimul::event(QEvent* e)
{
    if (spine::ColourSelEndOk::dispatch(e, [this](platform::COLORREF c, int id) { onColour(c, id); }))
        return true;
    return CPanelBase::event(e);
}

int CPropertyClockSimul::OnNodeLoad(tagItemData* node)
{
    const LoadScope loading = beginLoad(node, {IT_CLOCKSIMUL});
    if (!loading)
        return 0;
    m_stay->SetValue(int(readBinding(bindings(), IdStay)));
    if (m_record) {
        for (int i = 0; i < 5; ++i)
            m_colours[std::size_t(i)]->SetColour(m_record->get(kColours[i].field));
        m_text->setText(m_record->get(rec::Title));
        m_weekday->setChecked(readBinding(bindings(), IdWeekday) != 0);
        m_date->setChecked(readBinding(bindings(), IdDate) != 0);
        m_hourStyle->setCurrentIndex(int(readBinding(bindings(), IdHourMarkStyle)));
        m_minuteStyle->setCurrentIndex(int(readBinding(bindings(), IdMinuteMarkStyle)));
        m_pictureMode->setCurrentIndex(pictureModeIndex(readBinding(bindings(), IdPictureMode)));
        m_picture->setText(m_record->get(rec::Picture));
        const auto& fields = numberFields();
        for (std::size_t i = 0; i < fields.size(); ++i)
            m_numbers[i]->SetValue(int(fields[i].binding.read(*node)));
    }
    update();
    return 1;
}

void CPropertyClockSimul::onColour(platform::COLORREF colour, int controlId)
{
    if (!canWrite())
        return;
    writeContent([&] {
        for (const ColourField& c : kColours)
            if (c.controlId == controlId)
                m_record->set(c.field, colour);
    });
}

void CPropertyClockSimul::onFont(records::Font font, records::U32 colour)
{
    if (!canWrite())
        return;
    chooseRecordFont(font, colour);
    announce();
}

void CPropertyClockSimul::onCombo(int controlId, int index)
{
    if (index >= 0)
        writeBinding(bindings(), controlId, index);
}

void CPropertyClockSimul::onBrowse()
{
    if (!canWrite())
        return;
    const QString path =
        controls::FileDialog::getOpenFileName(this, QString(), m_picture->text(),
                                                controls::FileDialog::pictureFilter());
    if (!path.isEmpty())
        m_picture->setText(path.left(qsizetype(rec::Picture.MaxLength())));
}

} // namespace panels
