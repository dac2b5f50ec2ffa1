// The engine's tables: tags, entities and named colours, and the default style sheet.
#include "app/tooltips/HtmlDrawer.h"

#include <QGuiApplication>
#include <QPalette>

namespace tooltips {
namespace {

struct NamedColour {
    const char* name;
    unsigned rgb; // 0xRRGGBB
};

// Basic names first, then the extended keywords in alphabetical order.
constexpr NamedColour kNamedColours[] = {
    {"aqua", 0x00FFFF}, {"black", 0x000000}, {"blue", 0x0000FF}, {"brown", 0xA52A2A}, {"cyan", 0x00FFFF},
    {"gold", 0xFFD700}, {"gray", 0x808080}, {"green", 0x008000}, {"magenta", 0xFF00FF}, {"maroon", 0x800000},
    {"navy", 0x000080}, {"olive", 0x808000}, {"orange", 0xFFA500}, {"pink", 0xFFC0CB}, {"purple", 0x800080},
    {"red", 0xFF0000}, {"silver", 0xC0C0C0}, {"snow", 0xFFFAFA}, {"violet", 0xEE82EE}, {"white", 0xFFFFFF},
    {"yellow", 0xFFFF00},
    {"aliceblue", 0xF0F8FF}, {"antiquewhite", 0xFAEBD7}, {"aquamarine", 0x7FFFD4}, {"azure", 0xF0FFFF},
    {"beige", 0xF5F5DC}, {"bisque", 0xFFE4C4}, {"blanchedalmond", 0xFFEBCD}, {"blueviolet", 0x8A2BE2},
    {"burlywood", 0xDEB887}, {"cadetblue", 0x5F9EA0}, {"chartreuse", 0x7FFF00}, {"chocolate", 0xD2691E},
    {"coral", 0xFF7F50}, {"cornflowerblue", 0x6495ED}, {"cornsilk", 0xFFF8DC}, {"crimson", 0xDC143C},
    {"darkblue", 0x00008B}, {"darkcyan", 0x008B8B}, {"darkgoldenrod", 0xB8860B}, {"darkgray", 0xA9A9A9},
    {"darkgreen", 0x006400}, {"darkkhaki", 0xBDB76B}, {"darkmagenta", 0x8B008B}, {"darkolivegreen", 0x556B2F},
    {"darkorange", 0xFF8C00}, {"darkorchid", 0x9932CC}, {"darkred", 0x8B0000}, {"darksalmon", 0xE9967A},
    {"darkseagreen", 0x8FBC8B}, {"darkslateblue", 0x483D8B}, {"darkslategray", 0x2F4F4F},
    {"darkturquoise", 0x00CED1}, {"darkviolet", 0x9400D3}, {"deeppink", 0xFF1493}, {"deepskyblue", 0x00BFFF},
    {"dimgray", 0x696969}, {"dodgerblue", 0x1E90FF}, {"firebrick", 0xB22222}, {"floralwhite", 0xFFFAF0},
    {"forestgreen", 0x228B22}, {"fuchsia", 0xFF00FF}, {"gainsboro", 0xDCDCDC}, {"ghostwhite", 0xF8F8FF},
    {"goldenrod", 0xDAA520}, {"greenyellow", 0xADFF2F}, {"honeydew", 0xF0FFF0}, {"hotpink", 0xFF69B4},
    {"indianred", 0xCD5C5C}, {"indigo", 0x4B0082}, {"ivory", 0xFFFFF0}, {"khaki", 0xF0E68C},
    {"lavender", 0xE6E6FA}, {"lavenderblush", 0xFFF0F5}, {"lawngreen", 0x7CFC00}, {"lemonchiffon", 0xFFFACD},
    {"lightblue", 0xADD8E6}, {"lightcoral", 0xF08080}, {"lightcyan", 0xE0FFFF},
    {"lightgoldenrodyellow", 0xFAFAD2}, {"lightgreen", 0x90EE90}, {"lightgrey", 0xD3D3D3},
    {"lightpink", 0xFFB6C1}, {"lightsalmon", 0xFFA07A}, {"lightseagreen", 0x20B2AA}, {"lightskyblue", 0x87CEFA},
    {"lightslategray", 0x778899}, {"lightsteelblue", 0xB0C4DE}, {"lightyellow", 0xFFFFE0}, {"lime", 0x00FF00},
    {"limegreen", 0x32CD32}, {"linen", 0xFAF0E6}, {"mediumaquamarine", 0x66CDAA}, {"mediumblue", 0x0000CD},
    {"mediumorchid", 0xBA55D3}, {"mediumpurple", 0x9370DB}, {"mediumseagreen", 0x3CB371},
    {"mediumslateblue", 0x7B68EE}, {"mediumspringgreen", 0x00FA9A}, {"mediumturquoise", 0x48D1CC},
    {"mediumvioletred", 0xC71585}, {"midnightblue", 0x191970}, {"mintcream", 0xF5FFFA}, {"mistyrose", 0xFFE4E1},
    {"moccasin", 0xFFE4B5}, {"navajowhite", 0xFFDEAD}, {"oldlace", 0xFDF5E6}, {"olivedrab", 0x6B8E23},
    {"orangered", 0xFF4500}, {"orchid", 0xDA70D6}, {"palegoldenrod", 0xEEE8AA}, {"palegreen", 0x98FB98},
    {"paleturquoise", 0xAFEEEE}, {"palevioletred", 0xDB7093}, {"papayawhip", 0xFFEFD5}, {"peachpuff", 0xFFDAB9},
    {"peru", 0xCD853F}, {"plum", 0xDDA0DD}, {"powderblue", 0xB0E0E6}, {"rosybrown", 0xBC8F8F},
    {"royalblue", 0x4169E1}, {"saddlebrown", 0x8B4513}, {"salmon", 0xFA8072}, {"sandybrown", 0xF4A460},
    {"seagreen", 0x2E8B57}, {"seashell", 0xFFF5EE}, {"sienna", 0xA0522D}, {"skyblue", 0x87CEEB},
    {"slateblue", 0x6A5ACD}, {"slategray", 0x708090}, {"springgreen", 0x00FF7F}, {"steelblue", 0x4682B4},
    {"tan", 0xD2B48C}, {"teal", 0x008080}, {"thistle", 0xD8BFD8}, {"tomato", 0xFF6347}, {"turquoise", 0x40E0D0},
    {"wheat", 0xF5DEB3}, {"whitesmoke", 0xF5F5F5}, {"yellowgreen", 0x9ACD32},
};

// The desktop's colours stand in for the system colours.
struct SystemColour {
    const char* name;
    QPalette::ColorGroup group;
    QPalette::ColorRole role;
};

constexpr SystemColour kSystemColours[] = {
    {"activeborder", QPalette::Active, QPalette::Window},
    {"activecaption", QPalette::Active, QPalette::Highlight},
    {"appworkspace", QPalette::Active, QPalette::Dark},
    {"background", QPalette::Active, QPalette::Window},
    {"buttonface", QPalette::Active, QPalette::Button},
    {"buttonhighlight", QPalette::Active, QPalette::Light},
    {"buttonshadow", QPalette::Active, QPalette::Dark},
    {"buttontext", QPalette::Active, QPalette::ButtonText},
    {"captiontext", QPalette::Active, QPalette::HighlightedText},
    {"graytext", QPalette::Disabled, QPalette::Text},
    {"highlight", QPalette::Active, QPalette::Highlight},
    {"highlighttext", QPalette::Active, QPalette::HighlightedText},
    {"inactiveborder", QPalette::Inactive, QPalette::Window},
    {"inactivecaption", QPalette::Inactive, QPalette::Highlight},
    {"infobackground", QPalette::Active, QPalette::ToolTipBase},
    {"infotext", QPalette::Active, QPalette::ToolTipText},
    {"menu", QPalette::Active, QPalette::Window},
    {"menutext", QPalette::Active, QPalette::WindowText},
    {"scrollbar", QPalette::Active, QPalette::Mid},
    {"threeddarkshadow", QPalette::Active, QPalette::Shadow},
    {"threedface", QPalette::Active, QPalette::Button},
    {"threedhighlight", QPalette::Active, QPalette::Light},
    {"threedlightshadow", QPalette::Active, QPalette::Midlight},
    {"threedshadow", QPalette::Active, QPalette::Dark},
    {"window", QPalette::Active, QPalette::Base},
    {"windowframe", QPalette::Active, QPalette::Shadow},
    {"windowtext", QPalette::Active, QPalette::Text},
    {"inactivecaptiontext", QPalette::Inactive, QPalette::HighlightedText},
};

} // namespace

QString CHtmlDrawer::defaultStyleSheet()
{
    static const char* const kRules[] = {
        "body {font-size: 10pt; color:black; font-family:Verdana}",
        "p {font-size: 10pt; color:black; font-family:Verdana; font-weight:bold}",
        "h1 {font-size: 14pt; color:black; font-family:Verdana; font-weight:bold}",
        "h2 {font-size: 13pt; color:#ff9900; font-family:Verdana; font-weight:bold}",
        "h3 {font-size: 12pt; color:#ff9900; font-family:Arial; font-weight:bold}",
        "h4 {font-size: 10pt; color:black; font-family:Verdana; font-weight:bold}",
        "h5 {font-size: 9pt; color:#ff9900; font-family:Verdana; font-weight:bold}",
        "h6 {font-size: 65%; color:#626262; font-family:Verdana; font-weight:normal}",
        "pre {font-size: 9pt; font-family:\"Courier\"; background-color:#fbedbb}",
        "code {color:#990000; font-family:Arial}",
        "a:link {text-decoration:none; color:blue}",
        "a:hover {text-decoration:underline; color:blue}",
        "sub {font-size:65%; vertical-align:bottom}",
        "sup {font-size:65%; vertical-align:top}",
        "big {font-size:125%}",
        "small {font-size:75%}",
        ".cpp-comment {color:green; font-style:italic}",
    };
    QString s;
    for (const char* r : kRules)
        s += QLatin1String(r) + QStringLiteral("\r\n");
    return s;
}

CHtmlDrawer::CHtmlDrawer()
{
    struct T {
        const char* name;
        int code;
        const char* style;
    };
    static const T kTags[] = {
        {"b", 1, "bold"},       {"i", 2, "italic"},       {"em", 2, "italic"},     {"u", 3, "underline"},
        {"s", 4, "strikeout"},  {"strike", 4, "strikeout"}, {"font", 5, "font"},    {"hr", 6, ""},
        {"br", 7, ""},          {"\n", 7, ""},            {"t", 8, ""},            {"\t", 8, ""},
        {"left", 9, "left"},    {"center", 10, "center"}, {"right", 11, "right"},  {"justify", 12, "justify"},
        {"baseline", 13, "baseline"}, {"top", 14, "top"}, {"vcenter", 15, "vcenter"}, {"middle", 15, "vcenter"},
        {"bottom", 16, "bottom"}, {"bmp", 17, ""},        {"icon", 18, ""},        {"ilst", 19, ""},
        {"string", 20, ""},     {"span", 22, "span"},     {"a", 23, "link"},
    };
    for (const T& t : kTags)
        m_tags[QString::fromLatin1(t.name)] = {t.code, QString::fromLatin1(t.style)};
    for (const char* s : {"body", "h1", "h2", "h3", "h4", "h5", "h6", "code", "pre", "big", "small", "sub", "sup"})
        m_tags[QString::fromLatin1(s)] = {21, QString::fromLatin1(s)};

    m_entities = {
        {QStringLiteral("&amp;"), QStringLiteral("&")},       {QStringLiteral("&bull;"), QString(QChar(0x2022))},
        {QStringLiteral("&copy;"), QString(QChar(0xA9))},     {QStringLiteral("&euro;"), QString(QChar(0x20AC))},
        {QStringLiteral("&gt;"), QStringLiteral(">")},        {QStringLiteral("&iquest;"), QString(QChar(0xBF))},
        {QStringLiteral("&lt;"), QStringLiteral("<<")},       {QStringLiteral("&nbsp;"), QStringLiteral(" ")},
        {QStringLiteral("&para;"), QString(QChar(0xB6))},     {QStringLiteral("&pound;"), QString(QChar(0xA3))},
        {QStringLiteral("&quot;"), QStringLiteral("\"")},     {QStringLiteral("&reg;"), QString(QChar(0xAE))},
        {QStringLiteral("&trade;"), QString(QChar(0x2122))},
    };

    for (const NamedColour& c : kNamedColours)
        m_colours[QString::fromLatin1(c.name)] =
            platform::makeColorRef((c.rgb >> 16) & 0xFF, (c.rgb >> 8) & 0xFF, c.rgb & 0xFF);
    const QPalette pal = QGuiApplication::palette();
    for (const SystemColour& c : kSystemColours)
        m_colours[QString::fromLatin1(c.name)] = platform::fromQColor(pal.color(c.group, c.role));
    m_disabledColour = platform::fromQColor(pal.color(QPalette::Active, QPalette::Dark));

    SetStyleSheet(QString());
}

CHtmlDrawer::~CHtmlDrawer() = default;

} // namespace tooltips
