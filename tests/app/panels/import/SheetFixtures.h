#pragma once
// Flat spreadsheets written by hand for the import tests.
#include <QByteArray>
#include <QString>

namespace sheetfixtures {

// A document around the given automatic styles and table body.
inline QByteArray flatDocument(const QString& styles, const QString& table, const QString& settings = {})
{
    QString doc = QStringLiteral(
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        "<office:document xmlns:office=\"urn:oasis:names:tc:opendocument:xmlns:office:1.0\""
        " xmlns:style=\"urn:oasis:names:tc:opendocument:xmlns:style:1.0\""
        " xmlns:text=\"urn:oasis:names:tc:opendocument:xmlns:text:1.0\""
        " xmlns:table=\"urn:oasis:names:tc:opendocument:xmlns:table:1.0\""
        " xmlns:fo=\"urn:oasis:names:tc:opendocument:xmlns:xsl-fo-compatible:1.0\""
        " xmlns:svg=\"urn:oasis:names:tc:opendocument:xmlns:svg-compatible:1.0\""
        " xmlns:config=\"urn:oasis:names:tc:opendocument:xmlns:config:1.0\""
        " office:version=\"1.3\" office:mimetype=\"application/vnd.oasis.opendocument.spreadsheet\">\n");
    doc += settings;
    doc += QStringLiteral(
        "<office:font-face-decls><style:font-face style:name=\"Liberation Sans\" svg:font-family=\"'Liberation Sans'\"/>"
        "<style:font-face style:name=\"DejaVu Serif\" svg:font-family=\"'DejaVu Serif'\"/></office:font-face-decls>\n"
        "<office:styles><style:default-style style:family=\"table-cell\"><style:text-properties style:font-name=\"Liberation Sans\" fo:font-size=\"10pt\"/></style:default-style>"
        "<style:style style:name=\"Default\" style:family=\"table-cell\"/></office:styles>\n");
    doc += QStringLiteral("<office:automatic-styles>") + styles + QStringLiteral("</office:automatic-styles>\n");
    doc += QStringLiteral("<office:body><office:spreadsheet>") + table + QStringLiteral("</office:spreadsheet></office:body></office:document>\n");
    return doc.toUtf8();
}

// A sheet with every property the import takes:
//   A1:B2 merged "Title" bold, centred, thin border all round;
//   A3 1234.4 italic right-aligned 14pt serif; B3 "left" left-aligned,
//   double bottom; C1 "x" underlined and struck out; row 1 is 30pt high,
//   column A 3cm and column C 1in wide.
inline QByteArray richSheet()
{
    const QString styles = QStringLiteral(
        "<style:style style:name=\"co1\" style:family=\"table-column\"><style:table-column-properties style:column-width=\"3cm\"/></style:style>"
        "<style:style style:name=\"co2\" style:family=\"table-column\"><style:table-column-properties style:column-width=\"2.258cm\"/></style:style>"
        "<style:style style:name=\"co3\" style:family=\"table-column\"><style:table-column-properties style:column-width=\"1in\"/></style:style>"
        "<style:style style:name=\"ro1\" style:family=\"table-row\"><style:table-row-properties style:row-height=\"30pt\"/></style:style>"
        "<style:style style:name=\"ro2\" style:family=\"table-row\"><style:table-row-properties style:row-height=\"0.452cm\"/></style:style>"
        "<style:style style:name=\"ce1\" style:family=\"table-cell\" style:parent-style-name=\"Default\">"
        "<style:table-cell-properties fo:border=\"0.74pt solid #000000\" style:text-align-source=\"fix\"/>"
        "<style:paragraph-properties fo:text-align=\"center\"/><style:text-properties fo:font-weight=\"bold\"/></style:style>"
        "<style:style style:name=\"ce2\" style:family=\"table-cell\" style:parent-style-name=\"Default\">"
        "<style:table-cell-properties style:text-align-source=\"fix\"/><style:paragraph-properties fo:text-align=\"end\"/>"
        "<style:text-properties fo:font-style=\"italic\" fo:font-size=\"14pt\" style:font-name=\"DejaVu Serif\"/></style:style>"
        "<style:style style:name=\"ce3\" style:family=\"table-cell\" style:parent-style-name=\"Default\">"
        "<style:table-cell-properties fo:border-bottom=\"1.1pt double #000000\" style:text-align-source=\"fix\"/>"
        "<style:paragraph-properties fo:text-align=\"start\"/></style:style>"
        "<style:style style:name=\"ce4\" style:family=\"table-cell\" style:parent-style-name=\"Default\">"
        "<style:text-properties style:text-underline-style=\"solid\" style:text-underline-width=\"auto\" style:text-underline-color=\"font-color\""
        " style:text-line-through-style=\"solid\"/></style:style>");
    const QString table = QStringLiteral(
        "<table:table table:name=\"Sheet1\">"
        "<table:table-column table:style-name=\"co1\"/><table:table-column table:style-name=\"co2\"/>"
        "<table:table-column table:style-name=\"co3\"/>"
        "<table:table-row table:style-name=\"ro1\">"
        "<table:table-cell table:style-name=\"ce1\" office:value-type=\"string\" table:number-columns-spanned=\"2\" table:number-rows-spanned=\"2\"><text:p>Title</text:p></table:table-cell>"
        "<table:covered-table-cell table:style-name=\"ce1\"/>"
        "<table:table-cell table:style-name=\"ce4\" office:value-type=\"string\"><text:p>x</text:p></table:table-cell></table:table-row>"
        "<table:table-row table:style-name=\"ro2\"><table:covered-table-cell table:style-name=\"ce1\" table:number-columns-repeated=\"2\"/><table:table-cell/></table:table-row>"
        "<table:table-row table:style-name=\"ro2\">"
        "<table:table-cell table:style-name=\"ce2\" office:value-type=\"float\" office:value=\"1234.4\"><text:p>1234.4</text:p></table:table-cell>"
        "<table:table-cell table:style-name=\"ce3\" office:value-type=\"string\"><text:p>left</text:p></table:table-cell>"
        "<table:table-cell/></table:table-row>"
        "</table:table>");
    return flatDocument(styles, table);
}

} // namespace sheetfixtures
