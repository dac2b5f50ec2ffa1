#pragma once
// The panel of analog clocks: hand and mark colours, title and date fonts,
// the title text, mark styles and sizes, the face picture and the hands'
// lengths and widths.
#include "app/panels/PanelBase.h"
#include "core/api/TypeRecords.h"

#include <array>

class QCheckBox;
class QComboBox;
class QLineEdit;
class QPushButton;
class ItemRecord;
namespace controls {
class CColorButton;
class CRangeEdit;
}

namespace panels {

class CPropertyClockSimul : public CPanelBase {
    Q_OBJECT
public:
    static constexpr unsigned kTemplate = 108;
    enum : int {
        IdTitleFont = 6146,
        IdDateFont = 6147,
        IdColour1 = 6151,
        IdColour2 = 6152,
        IdColour4 = 6153,
        IdColour5 = 6154,
        IdColour3 = 6155,
        IdPicture = 6156,
        IdBrowse = 6157,
        IdWeekday = 6158,
        IdDate = 6159,
        IdHourMarkStyle = 6160,
        IdPictureMode = 6161,
        IdHourMarkSize = 6162,
        IdMinuteMarkSize = 6164,
        IdText = 6166,
        IdMinuteMarkStyle = 6167,
        IdSecondLength = 6168,
        IdMinuteLength = 6170,
        IdHourLength = 6172,
        IdSecondWidth = 6174,
        IdMinuteWidth = 6176,
        IdHourWidth = 6178,
        IdStay = 6189,
    };

    CPropertyClockSimul(PanelContext ctx, QWidget* parent = nullptr);
    int OnNodeLoad(tagItemData* node) override;

    // One number edit: the record field it writes and how it shows.
    struct NumberField {
        FieldBinding binding;
        int lo, hi, initial;
        unsigned suffix;
    };
    static const std::array<NumberField, 8>& numberFields();
    // The plain fields: stay, the face's two parts, the three combos and the numbers.
    static std::span<const FieldBinding> bindings();

protected:
    bool OnInitDialog() override;
    bool event(QEvent* e) override;

private:
    void onColour(platform::COLORREF colour, int controlId);
    void onFont(records::Font font, records::U32 colour);
    void onCombo(int controlId, int index);
    void onBrowse();

    std::array<controls::CColorButton*, 5> m_colours{};
    QPushButton* m_titleFont = nullptr;
    QPushButton* m_dateFont = nullptr;
    QCheckBox* m_weekday = nullptr;
    QCheckBox* m_date = nullptr;
    QComboBox* m_hourStyle = nullptr;
    QComboBox* m_minuteStyle = nullptr;
    QComboBox* m_pictureMode = nullptr;
    QLineEdit* m_text = nullptr;
    QLineEdit* m_picture = nullptr;
    QPushButton* m_browse = nullptr;
    std::array<controls::CRangeEdit*, 8> m_numbers{};
    controls::CRangeEdit* m_stay = nullptr;
};

} // namespace panels
