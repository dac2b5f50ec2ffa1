#include "support/DocumentCorpus.h"

#include "platform/RtfCodePage.h"

#include <QColor>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QUrl>
#include <cmath>

namespace support {
namespace {

const char* kHead = R"x(<?xml version="1.0" encoding="UTF-8"?>
<office:document xmlns:office="urn:oasis:names:tc:opendocument:xmlns:office:1.0" xmlns:style="urn:oasis:names:tc:opendocument:xmlns:style:1.0" xmlns:text="urn:oasis:names:tc:opendocument:xmlns:text:1.0" xmlns:table="urn:oasis:names:tc:opendocument:xmlns:table:1.0" xmlns:fo="urn:oasis:names:tc:opendocument:xmlns:xsl-fo-compatible:1.0" xmlns:svg="urn:oasis:names:tc:opendocument:xmlns:svg-compatible:1.0" xmlns:draw="urn:oasis:names:tc:opendocument:xmlns:drawing:1.0" xmlns:dc="http://purl.org/dc/elements/1.1/" office:version="1.3" office:mimetype="application/vnd.oasis.opendocument.text">
<office:font-face-decls>
<style:font-face style:name="DejaVu Serif" svg:font-family="'DejaVu Serif'"/>
<style:font-face style:name="DejaVu Sans" svg:font-family="'DejaVu Sans'"/>
<style:font-face style:name="Arial" svg:font-family="Arial"/>
<style:font-face style:name="Times New Roman" svg:font-family="'Times New Roman'"/>
<style:font-face style:name="Courier New" svg:font-family="'Courier New'"/>
<style:font-face style:name="SimSun" svg:font-family="SimSun"/>
<style:font-face style:name="SimHei" svg:font-family="SimHei"/>
<style:font-face style:name="KaiTi" svg:font-family="KaiTi"/>
<style:font-face style:name="Microsoft YaHei" svg:font-family="'Microsoft YaHei'"/>
<style:font-face style:name="WenQuanYi Micro Hei" svg:font-family="'WenQuanYi Micro Hei'"/>
<style:font-face style:name="Symbol" svg:font-family="Symbol" style:font-charset="x-symbol"/>
</office:font-face-decls>
<office:styles>
<style:default-style style:family="paragraph"><style:text-properties style:font-name="DejaVu Serif" fo:font-size="12pt" style:font-name-asian="SimSun" style:font-size-asian="12pt" style:font-name-complex="DejaVu Sans" style:font-size-complex="12pt"/></style:default-style>
<style:style style:name="Standard" style:family="paragraph" style:class="text"/>
<style:style style:name="Heading_20_1" style:display-name="Heading 1" style:family="paragraph" style:parent-style-name="Standard" style:default-outline-level="1"><style:text-properties fo:font-size="28pt" fo:font-weight="bold" style:font-size-asian="28pt" style:font-weight-asian="bold" style:font-size-complex="28pt" style:font-weight-complex="bold"/></style:style>
<style:style style:name="Heading_20_2" style:display-name="Heading 2" style:family="paragraph" style:parent-style-name="Standard" style:default-outline-level="2"><style:text-properties fo:font-size="20pt" fo:font-weight="bold" style:font-size-asian="20pt" style:font-weight-asian="bold"/></style:style>
<text:list-style style:name="Bullets">
<text:list-level-style-bullet text:level="1" text:bullet-char="•"><style:list-level-properties text:list-level-position-and-space-mode="label-alignment"><style:list-level-label-alignment text:label-followed-by="listtab" text:list-tab-stop-position="0.5in" fo:text-indent="-0.25in" fo:margin-left="0.5in"/></style:list-level-properties></text:list-level-style-bullet>
<text:list-level-style-bullet text:level="2" text:bullet-char="◦"><style:list-level-properties text:list-level-position-and-space-mode="label-alignment"><style:list-level-label-alignment text:label-followed-by="listtab" text:list-tab-stop-position="1in" fo:text-indent="-0.25in" fo:margin-left="1in"/></style:list-level-properties></text:list-level-style-bullet>
</text:list-style>
<text:list-style style:name="Numbers">
<text:list-level-style-number text:level="1" style:num-suffix="." style:num-format="1"><style:list-level-properties text:list-level-position-and-space-mode="label-alignment"><style:list-level-label-alignment text:label-followed-by="listtab" text:list-tab-stop-position="0.5in" fo:text-indent="-0.25in" fo:margin-left="0.5in"/></style:list-level-properties></text:list-level-style-number>
<text:list-level-style-number text:level="2" style:num-suffix=")" style:num-format="a"><style:list-level-properties text:list-level-position-and-space-mode="label-alignment"><style:list-level-label-alignment text:label-followed-by="listtab" text:list-tab-stop-position="1in" fo:text-indent="-0.25in" fo:margin-left="1in"/></style:list-level-properties></text:list-level-style-number>
</text:list-style>
</office:styles>
)x";

struct FlatPart {
    const char* name;
    const char* styles; // automatic styles; "@" stands for the document's prefix
    const char* body;
    // Tracked changes stand first in the document's text: such a part
    // stands alone.
    bool alone = false;
};

// clang-format off
const FlatPart kParts[] = {
    {"latin-attributes",
     R"x(<style:style style:name="@B" style:family="text"><style:text-properties fo:font-weight="bold"/></style:style>
<style:style style:name="@I" style:family="text"><style:text-properties fo:font-style="italic"/></style:style>
<style:style style:name="@U" style:family="text"><style:text-properties style:text-underline-style="solid" style:text-underline-width="auto" style:text-underline-color="font-color"/></style:style>
<style:style style:name="@S" style:family="text"><style:text-properties style:text-line-through-style="solid"/></style:style>
<style:style style:name="@A" style:family="text"><style:text-properties fo:font-weight="bold" fo:font-style="italic" style:text-underline-style="solid" style:text-underline-width="auto" style:text-underline-color="font-color"/></style:style>)x",
     R"x(<text:p>Plain <text:span text:style-name="@B">bold</text:span> <text:span text:style-name="@I">italic</text:span> <text:span text:style-name="@U">underlined</text:span> <text:span text:style-name="@S">struck</text:span> <text:span text:style-name="@A">all three</text:span> end.</text:p>
<text:p>Second <text:span text:style-name="@B">paragraph,</text:span> still plain.</text:p>)x"},

    {"chinese-attributes",
     R"x(<style:style style:name="@B" style:family="text"><style:text-properties fo:font-weight="bold" style:font-weight-asian="bold"/></style:style>
<style:style style:name="@I" style:family="text"><style:text-properties fo:font-style="italic" style:font-style-asian="italic"/></style:style>
<style:style style:name="@U" style:family="text"><style:text-properties style:text-underline-style="solid" style:text-underline-width="auto" style:text-underline-color="font-color"/></style:style>
<style:style style:name="@S" style:family="text"><style:text-properties style:text-line-through-style="solid"/></style:style>
<style:style style:name="@A" style:family="text"><style:text-properties style:font-name-asian="SimHei" style:font-size-asian="16pt" style:font-weight-asian="bold" style:font-style-asian="italic"/></style:style>)x",
     R"x(<text:p>普通文字<text:span text:style-name="@B">粗体字</text:span><text:span text:style-name="@I">斜体字</text:span><text:span text:style-name="@U">下划线</text:span><text:span text:style-name="@S">删除线</text:span>。</text:p>
<text:p><text:span text:style-name="@A">黑体粗斜十六点</text:span>，然后普通。</text:p>)x"},

    {"mixed-script",
     R"x(<style:style style:name="@M" style:family="text"><style:text-properties style:font-name="Arial" fo:font-size="14pt" fo:font-weight="bold" style:font-name-asian="SimHei" style:font-size-asian="20pt" style:font-weight-asian="normal"/></style:style>
<style:style style:name="@N" style:family="text"><style:text-properties fo:font-style="normal" style:font-style-asian="italic" style:font-name-asian="KaiTi"/></style:style>)x",
     R"x(<text:p><text:span text:style-name="@M">Mixed 中文 text 混合文字 123。</text:span></text:p>
<text:p>Latin <text:span text:style-name="@N">upright, 中文斜体 and upright</text:span> again.</text:p>
<text:p>中文开头 then Latin, 123 and 中文结尾</text:p>)x"},

    {"faces",
     R"x(<style:style style:name="@F1" style:family="text"><style:text-properties style:font-name="Arial" style:font-name-asian="SimSun"/></style:style>
<style:style style:name="@F2" style:family="text"><style:text-properties style:font-name="Times New Roman" style:font-name-asian="SimHei"/></style:style>
<style:style style:name="@F3" style:family="text"><style:text-properties style:font-name="Courier New" style:font-name-asian="KaiTi"/></style:style>
<style:style style:name="@F4" style:family="text"><style:text-properties style:font-name="DejaVu Sans" style:font-name-asian="Microsoft YaHei"/></style:style>)x",
     R"x(<text:p><text:span text:style-name="@F1">Arial 宋体</text:span></text:p>
<text:p><text:span text:style-name="@F2">Times 黑体</text:span></text:p>
<text:p><text:span text:style-name="@F3">Courier 楷体</text:span></text:p>
<text:p><text:span text:style-name="@F4">DejaVu 雅黑</text:span></text:p>)x"},

    {"sizes",
     R"x(<style:style style:name="@Z6" style:family="text"><style:text-properties fo:font-size="6pt" style:font-size-asian="6pt"/></style:style>
<style:style style:name="@Z8" style:family="text"><style:text-properties fo:font-size="8pt" style:font-size-asian="8pt"/></style:style>
<style:style style:name="@Z10" style:family="text"><style:text-properties fo:font-size="10.5pt" style:font-size-asian="10.5pt"/></style:style>
<style:style style:name="@Z16" style:family="text"><style:text-properties fo:font-size="16pt" style:font-size-asian="16pt"/></style:style>
<style:style style:name="@Z28" style:family="text"><style:text-properties fo:font-size="28pt" style:font-size-asian="28pt"/></style:style>
<style:style style:name="@Z48" style:family="text"><style:text-properties fo:font-size="48pt" style:font-size-asian="48pt"/></style:style>
<style:style style:name="@Z72" style:family="text"><style:text-properties fo:font-size="72pt" style:font-size-asian="72pt"/></style:style>)x",
     R"x(<text:p><text:span text:style-name="@Z6">6 六</text:span> <text:span text:style-name="@Z8">8 八</text:span> <text:span text:style-name="@Z10">10.5 五号</text:span> 12 十二 <text:span text:style-name="@Z16">16 十六</text:span></text:p>
<text:p><text:span text:style-name="@Z28">28 二八</text:span> <text:span text:style-name="@Z48">48 四八</text:span> <text:span text:style-name="@Z72">72 七二</text:span></text:p>)x"},

    {"colours",
     R"x(<style:style style:name="@R" style:family="text"><style:text-properties fo:color="#ff0000"/></style:style>
<style:style style:name="@G" style:family="text"><style:text-properties fo:color="#008000" fo:background-color="#ffff00"/></style:style>
<style:style style:name="@Y" style:family="text"><style:text-properties fo:background-color="#00ffff"/></style:style>
<style:style style:name="@W" style:family="text"><style:text-properties fo:color="#ffffff" fo:background-color="#0000ff"/></style:style>)x",
     R"x(<text:p>Black <text:span text:style-name="@R">red 红色</text:span> <text:span text:style-name="@G">green on yellow 黄底绿字</text:span> <text:span text:style-name="@Y">cyan ground 青底</text:span> <text:span text:style-name="@W">white on blue 蓝底白字</text:span></text:p>)x"},

    {"alignment",
     R"x(<style:style style:name="@PL" style:family="paragraph"><style:paragraph-properties fo:text-align="start"/></style:style>
<style:style style:name="@PC" style:family="paragraph"><style:paragraph-properties fo:text-align="center"/></style:style>
<style:style style:name="@PR" style:family="paragraph"><style:paragraph-properties fo:text-align="end"/></style:style>
<style:style style:name="@PJ" style:family="paragraph"><style:paragraph-properties fo:text-align="justify"/></style:style>)x",
     R"x(<text:p text:style-name="@PL">Left 左对齐</text:p>
<text:p text:style-name="@PC">Centred 居中</text:p>
<text:p text:style-name="@PR">Right 右对齐</text:p>
<text:p text:style-name="@PJ">Justified text 两端对齐的文字</text:p>)x"},

    {"table-3x3",
     R"x(<style:style style:name="@B" style:family="text"><style:text-properties fo:font-weight="bold" style:font-weight-asian="bold"/></style:style>)x",
     R"x(<text:p>Before table</text:p>
<table:table table:name="@Table"><table:table-column table:number-columns-repeated="3"/>
<table:table-row><table:table-cell><text:p><text:span text:style-name="@B">R1C1</text:span></text:p></table:table-cell><table:table-cell><text:p>R1C2</text:p></table:table-cell><table:table-cell><text:p>R1C3</text:p></table:table-cell></table:table-row>
<table:table-row><table:table-cell><text:p>R2C1</text:p></table:table-cell><table:table-cell><text:p>二行二列</text:p></table:table-cell><table:table-cell><text:p>R2C3</text:p></table:table-cell></table:table-row>
<table:table-row><table:table-cell><text:p>R3C1</text:p></table:table-cell><table:table-cell><text:p/></table:table-cell><table:table-cell><text:p>R3C3</text:p></table:table-cell></table:table-row>
</table:table>
<text:p>After table</text:p>)x"},

    {"nested-table",
     "",
     R"x(<table:table table:name="@Outer"><table:table-column table:number-columns-repeated="2"/>
<table:table-row><table:table-cell><text:p>Outer A</text:p></table:table-cell><table:table-cell><table:table table:name="@Inner"><table:table-column table:number-columns-repeated="2"/>
<table:table-row><table:table-cell><text:p>in1</text:p></table:table-cell><table:table-cell><text:p>in2</text:p></table:table-cell></table:table-row>
<table:table-row><table:table-cell><text:p>in3</text:p></table:table-cell><table:table-cell><text:p>in4</text:p></table:table-cell></table:table-row>
</table:table></table:table-cell></table:table-row>
<table:table-row><table:table-cell><text:p>Outer C</text:p></table:table-cell><table:table-cell><text:p>Outer D</text:p></table:table-cell></table:table-row>
</table:table>
<text:p>After nested</text:p>)x"},

    {"lists",
     "",
     R"x(<text:list text:style-name="Bullets"><text:list-item><text:p>First bullet</text:p></text:list-item><text:list-item><text:p>Second bullet</text:p><text:list><text:list-item><text:p>Nested bullet</text:p></text:list-item></text:list></text:list-item><text:list-item><text:p>项目符号</text:p></text:list-item></text:list>
<text:p>Between lists</text:p>
<text:list text:style-name="Numbers"><text:list-item><text:p>One</text:p></text:list-item><text:list-item><text:p>Two</text:p><text:list><text:list-item><text:p>Two a</text:p></text:list-item><text:list-item><text:p>Two b</text:p></text:list-item></text:list></text:list-item><text:list-item><text:p>第三</text:p></text:list-item></text:list>)x"},

    {"raised-lowered",
     R"x(<style:style style:name="@SP" style:family="text"><style:text-properties style:text-position="super 58%"/></style:style>
<style:style style:name="@SB" style:family="text"><style:text-properties style:text-position="sub 58%"/></style:style>
<style:style style:name="@UP" style:family="text"><style:text-properties style:text-position="33% 100%"/></style:style>
<style:style style:name="@DN" style:family="text"><style:text-properties style:text-position="-33% 100%"/></style:style>)x",
     R"x(<text:p>x<text:span text:style-name="@SP">2</text:span> H<text:span text:style-name="@SB">2</text:span>O a<text:span text:style-name="@UP">up</text:span> b<text:span text:style-name="@DN">down</text:span> 面积<text:span text:style-name="@SP">平方</text:span></text:p>)x"},

    {"beyond-bmp",
     R"x(<style:style style:name="@B" style:family="text"><style:text-properties fo:font-weight="bold" style:font-weight-asian="bold"/></style:style>)x",
     R"x(<text:p>Smile 😀 and <text:span text:style-name="@B">𠀀𠀁</text:span> and 𝐀𝐁 end</text:p>)x"},

    {"right-to-left",
     R"x(<style:style style:name="@RTL" style:family="paragraph"><style:paragraph-properties fo:text-align="start" style:writing-mode="rl-tb"/></style:style>
<style:style style:name="@C" style:family="text"><style:text-properties style:font-size-complex="16pt" style:font-weight-complex="bold"/></style:style>)x",
     R"x(<text:p text:style-name="@RTL">שלום עולם</text:p>
<text:p text:style-name="@RTL"><text:span text:style-name="@C">مرحبا بالعالم</text:span></text:p>
<text:p>Left to right with שלום inside</text:p>)x"},

    {"headings",
     "",
     R"x(<text:h text:style-name="Heading_20_1" text:outline-level="1">第一章 Chapter</text:h>
<text:p>正文 body text.</text:p>
<text:h text:style-name="Heading_20_2" text:outline-level="2">第一节 Section</text:h>
<text:p>更多 more.</text:p>)x"},

    {"soft-hyphen",
     "",
     "<text:p>Elec\xC2\xADtro\xC2\xADmag\xC2\xADnetic and hy\xC2\xADphen</text:p>"},

    {"chinese-report",
     R"x(<style:style style:name="@B" style:family="text"><style:text-properties fo:font-weight="bold" style:font-weight-asian="bold"/></style:style>
<style:style style:name="@Tab" style:family="table"><style:table-properties style:width="2.7in" table:align="left"/></style:style>
<style:style style:name="@Col" style:family="table-column"><style:table-column-properties style:column-width="0.9in"/></style:style>)x",
     R"x(<text:h text:style-name="Heading_20_1" text:outline-level="1">销售报告</text:h>
<text:p>第一季度的销售情况如下。</text:p>
<table:table table:name="@Sales" table:style-name="@Tab"><table:table-column table:style-name="@Col" table:number-columns-repeated="3"/>
<table:table-row><table:table-cell><text:p><text:span text:style-name="@B">地区</text:span></text:p></table:table-cell><table:table-cell><text:p><text:span text:style-name="@B">一月</text:span></text:p></table:table-cell><table:table-cell><text:p><text:span text:style-name="@B">二月</text:span></text:p></table:table-cell></table:table-row>
<table:table-row><table:table-cell><text:p>北京</text:p></table:table-cell><table:table-cell><text:p>120</text:p></table:table-cell><table:table-cell><text:p>135</text:p></table:table-cell></table:table-row>
<table:table-row><table:table-cell><text:p>上海</text:p></table:table-cell><table:table-cell><text:p>98</text:p></table:table-cell><table:table-cell><text:p>110</text:p></table:table-cell></table:table-row>
</table:table>
<text:h text:style-name="Heading_20_1" text:outline-level="1">总结</text:h>
<text:p>销售稳步增长。</text:p>)x"},

    {"shaded-table",
     R"x(<style:style style:name="@Navy" style:family="table-cell"><style:table-cell-properties fo:background-color="#000080"/></style:style>
<style:style style:name="@Sand" style:family="table-cell"><style:table-cell-properties fo:background-color="#ffcc99"/></style:style>
<style:style style:name="@PC" style:family="paragraph"><style:paragraph-properties fo:text-align="center"/></style:style>
<style:style style:name="@PR" style:family="paragraph"><style:paragraph-properties fo:text-align="end"/></style:style>
<style:style style:name="@W" style:family="text"><style:text-properties fo:color="#ffffff"/></style:style>)x",
     R"x(<table:table table:name="@Shaded"><table:table-column table:number-columns-repeated="3"/>
<table:table-row><table:table-cell table:style-name="@Navy"><text:p><text:span text:style-name="@W">White on navy</text:span></text:p></table:table-cell><table:table-cell table:style-name="@Navy"><text:p text:style-name="@PC"><text:span text:style-name="@W">中间</text:span></text:p></table:table-cell><table:table-cell table:style-name="@Navy"><text:p text:style-name="@PR"><text:span text:style-name="@W">Right</text:span></text:p></table:table-cell></table:table-row>
<table:table-row><table:table-cell><text:p>Plain</text:p></table:table-cell><table:table-cell table:style-name="@Sand"><text:p text:style-name="@PR">120</text:p></table:table-cell><table:table-cell><text:p text:style-name="@PC">居中</text:p></table:table-cell></table:table-row>
</table:table>
<text:p>After shading</text:p>)x"},

    // As Word makes a bullet list: the Symbol font's bullet, then Courier's "o".
    {"word-bullets",
     R"x(<text:list-style style:name="@WW">
<text:list-level-style-bullet text:level="1" text:bullet-char=""><style:list-level-properties text:list-level-position-and-space-mode="label-alignment"><style:list-level-label-alignment text:label-followed-by="listtab" text:list-tab-stop-position="0.5in" fo:text-indent="-0.25in" fo:margin-left="0.5in"/></style:list-level-properties><style:text-properties style:font-name="Symbol"/></text:list-level-style-bullet>
<text:list-level-style-bullet text:level="2" text:bullet-char="o"><style:list-level-properties text:list-level-position-and-space-mode="label-alignment"><style:list-level-label-alignment text:label-followed-by="listtab" text:list-tab-stop-position="1in" fo:text-indent="-0.25in" fo:margin-left="1in"/></style:list-level-properties><style:text-properties style:font-name="Courier New"/></text:list-level-style-bullet>
</text:list-style>)x",
     R"x(<text:list text:style-name="@WW"><text:list-item><text:p>Word bullet</text:p></text:list-item><text:list-item><text:p>第二项</text:p><text:list><text:list-item><text:p>Inner item</text:p></text:list-item></text:list></text:list-item></text:list>
<text:p>After the list</text:p>)x"},

    {"text-box",
     R"x(<style:style style:name="@fr" style:family="graphic"><style:graphic-properties/></style:style>)x",
     R"x(<text:p>Anchor <draw:frame draw:style-name="@fr" text:anchor-type="paragraph" svg:width="2in" svg:height="1in" svg:x="0in" svg:y="0in"><draw:text-box><text:p>Text in a box 框中文字</text:p></draw:text-box></draw:frame>of the box.</text:p>
<text:p>After the box</text:p>)x"},

    {"footnote",
     "",
     R"x(<text:p>A claim<text:note text:id="@n1" text:note-class="footnote"><text:note-citation>1</text:note-citation><text:note-body><text:p>Its source.</text:p></text:note-body></text:note> and another<text:note text:id="@n2" text:note-class="footnote"><text:note-citation>2</text:note-citation><text:note-body><text:p>第二个注释</text:p></text:note-body></text:note>.</text:p>
<text:p>Last paragraph</text:p>)x"},

    {"capitals",
     R"x(<style:style style:name="@AC" style:family="text"><style:text-properties fo:text-transform="uppercase"/></style:style>
<style:style style:name="@SC" style:family="text"><style:text-properties fo:font-variant="small-caps"/></style:style>)x",
     R"x(<text:p><text:span text:style-name="@AC">all capitals</text:span> and <text:span text:style-name="@SC">Small Capitals</text:span> end.</text:p>)x"},

    // A deletion and an insertion tracked, and a comment.
    {"tracked-changes",
     "",
     R"x(<text:tracked-changes text:track-changes="false">
<text:changed-region xml:id="@ct1" text:id="@ct1"><text:insertion><office:change-info><dc:creator>Author</dc:creator><dc:date>2026-01-05T10:00:00</dc:date></office:change-info></text:insertion></text:changed-region>
<text:changed-region xml:id="@ct2" text:id="@ct2"><text:deletion><office:change-info><dc:creator>Author</dc:creator><dc:date>2026-01-05T10:01:00</dc:date></office:change-info><text:p>removed </text:p></text:deletion></text:changed-region>
<text:changed-region xml:id="@ct3" text:id="@ct3"><text:deletion><office:change-info><dc:creator>Author</dc:creator><dc:date>2026-01-05T10:02:00</dc:date></office:change-info><text:p>删除的字</text:p></text:deletion></text:changed-region>
</text:tracked-changes>
<text:p>Kept <text:change-start text:change-id="@ct1"/>inserted <text:change-end text:change-id="@ct1"/>and <text:change text:change-id="@ct2"/>end.</text:p>
<text:p>保留<text:change text:change-id="@ct3"/>的文字<office:annotation><dc:creator>Author</dc:creator><dc:date>2026-01-05T10:03:00</dc:date><text:p>A comment</text:p></office:annotation> and more.</text:p>)x",
     true},

    {"cell-alignment",
     R"x(<style:style style:name="@PL" style:family="paragraph"><style:paragraph-properties fo:text-align="start"/></style:style>
<style:style style:name="@PC" style:family="paragraph"><style:paragraph-properties fo:text-align="center"/></style:style>
<style:style style:name="@PR" style:family="paragraph"><style:paragraph-properties fo:text-align="end"/></style:style>)x",
     R"x(<table:table table:name="@Cells"><table:table-column table:number-columns-repeated="3"/>
<table:table-row><table:table-cell><text:p text:style-name="@PL">Left</text:p></table:table-cell><table:table-cell><text:p text:style-name="@PC">Centre 中</text:p></table:table-cell><table:table-cell><text:p text:style-name="@PR">Right 右</text:p></table:table-cell></table:table-row>
<table:table-row><table:table-cell><text:p text:style-name="@PR">12.50</text:p></table:table-cell><table:table-cell><text:p text:style-name="@PL">left</text:p></table:table-cell><table:table-cell><text:p text:style-name="@PC">centre</text:p></table:table-cell></table:table-row>
</table:table>
<text:p>After the cells</text:p>)x"},

    {"centred-header",
     R"x(<style:style style:name="@PC" style:family="paragraph"><style:paragraph-properties fo:text-align="center"/></style:style>
<style:style style:name="@B" style:family="text"><style:text-properties fo:font-weight="bold" style:font-weight-asian="bold"/></style:style>)x",
     R"x(<table:table table:name="@Head"><table:table-column table:number-columns-repeated="3"/>
<table:table-header-rows><table:table-row><table:table-cell><text:p text:style-name="@PC"><text:span text:style-name="@B">Name</text:span></text:p></table:table-cell><table:table-cell><text:p text:style-name="@PC"><text:span text:style-name="@B">数量</text:span></text:p></table:table-cell><table:table-cell><text:p text:style-name="@PC"><text:span text:style-name="@B">Price</text:span></text:p></table:table-cell></table:table-row></table:table-header-rows>
<table:table-row><table:table-cell><text:p>Apples</text:p></table:table-cell><table:table-cell><text:p>3</text:p></table:table-cell><table:table-cell><text:p>1.20</text:p></table:table-cell></table:table-row>
</table:table>
<text:p>After the header</text:p>)x"},
};
// clang-format on

QByteArray flatOdt(const QList<const FlatPart*>& parts)
{
    QByteArray styles, body;
    for (const FlatPart* p : parts) {
        // One prefix per document, so that documents can stand together.
        const QByteArray prefix = parts.size() > 1 ? QByteArray(p->name).replace('-', '_') + '_' : QByteArray();
        styles += QByteArray(p->styles).replace('@', prefix) + '\n';
        body += QByteArray(p->body).replace('@', prefix) + '\n';
    }
    return QByteArray(kHead) + "<office:automatic-styles>\n" + styles + "</office:automatic-styles>\n"
         + "<office:body><office:text>\n" + body + "</office:text></office:body></office:document>\n";
}

// The rich edit's own form: GB2312 bytes under a font of charset 134, and
// \uN escapes with their fallbacks.
const char* kOwnRichEdit =
    "{\\rtf1\\ansi\\ansicpg936\\deff0\\deflang1033\\deflangfe2052{\\fonttbl{\\f0\\fnil\\fprq2\\fcharset134 "
    "\\'cb\\'ce\\'cc\\'e5;}{\\f1\\fnil\\fcharset0 Arial;}}\r\n"
    "{\\colortbl ;\\red255\\green255\\blue0;\\red255\\green0\\blue0;}\r\n"
    "\\viewkind4\\uc1\\pard\\sl-240\\slmult0\\cf1\\lang2052\\f0\\fs20 \\'d6\\'d0\\'ce\\'c4{\\b \\'b4\\'d6\\'cc\\'e5}"
    "\\cf2\\f1\\fs28 Latin \\u20013?\\u25991?\\par\r\n"
    "\\pard\\qc\\cf1\\f0\\fs40 \\'be\\'d3\\'d6\\'d0\\par\r\n}\r\n";

// As a word processor writes Chinese: the associated-character controls, a
// style sheet whose normal style holds the East Asian face, two-byte fallbacks.
const char* kWordStyle =
    "{\\rtf1\\ansi\\ansicpg936\\uc2\\deff0\\stshfdbch13\\stshfloch0\\stshfhich0\\deflangfe2052"
    "{\\fonttbl{\\f0\\froman\\fcharset0 Times New Roman;}{\\f13\\fnil\\fcharset134 SimSun;}"
    "{\\f37\\fswiss\\fcharset0 Arial;}}{\\colortbl;\\red0\\green0\\blue0;}"
    "{\\stylesheet{\\ql \\rtlch\\fcs1 \\af0\\afs24 \\ltrch\\fcs0 \\fs21\\loch\\f0\\hich\\af0\\dbch\\af13\\snext0 Normal;}"
    "{\\s1\\ql \\rtlch\\fcs1 \\ab\\af0\\afs44 \\ltrch\\fcs0 \\b\\fs44\\loch\\f0\\hich\\af0\\dbch\\af13\\sbasedon0\\snext0 heading 1;}}\r\n"
    "\\pard\\plain \\ltrpar\\s1\\ql\\rtlch\\fcs1 \\ab\\af0\\afs44 \\ltrch\\fcs0 \\b\\fs44\\loch\\af0\\hich\\af0\\dbch\\af13 "
    "{\\rtlch\\fcs1 \\ab\\af0\\afs44 \\ltrch\\fcs0 \\b\\fs44\\loch\\af0\\hich\\af0\\dbch\\af13 "
    "\\u31532\\'b5\\'da\\u19968\\'d2\\'bb\\u31456\\'d5\\'c2 Chapter}\\par\r\n"
    "\\pard\\plain \\ltrpar\\ql \\rtlch\\fcs1 \\af0\\afs24 \\ltrch\\fcs0 \\fs21\\loch\\af0\\hich\\af0\\dbch\\af13 "
    "{\\rtlch\\fcs1 \\af37\\afs24 \\ltrch\\fcs0 \\f37\\fs21\\loch\\af37\\hich\\af37\\dbch\\af13 "
    "\\u27491\\'d5\\'fd\\u25991\\'ce\\'c4 text}\\par\r\n}\r\n";

// Hebrew and Vietnamese as a word processor writes them: bytes of their
// code pages under fonts of their charsets.
const char* kHebrew =
    "{\\rtf1\\ansi\\ansicpg1255\\deff0{\\fonttbl{\\f0\\fswiss\\fcharset177 Arial;}}\r\n"
    "\\pard\\plain\\rtlpar\\qr\\rtlch\\f0\\fs24 \\'f9\\'ec\\'e5\\'ed \\'f2\\'e5\\'ec\\'ed {\\rtlch\\ab \\'e9\\'f9\\'f8\\'e0\\'ec}\\par\r\n"
    "\\'e1\\'e5\\'f7\\'f8 \\'e8\\'e5\\'e1\\par\r\n}\r\n";
const char* kVietnamese =
    "{\\rtf1\\ansi\\ansicpg1258\\deff0{\\fonttbl{\\f0\\fswiss\\fcharset163 Arial;}}\r\n"
    "\\pard\\plain\\f0\\fs24 Ti\\'ea\\'ecng Vi\\'ea\\'f2t {\\i c\\'f3 d\\'e2\\'ecu}\\par\r\n"
    "Xin ch\\'e0o th\\'ea\\'ec gi\\'f5\\'eci\\par\r\n}\r\n";

// Tracked changes as a word processor writes them, with a comment.
const char* kTrackedRtf =
    "{\\rtf1\\ansi\\ansicpg1252\\deff0{\\fonttbl{\\f0\\froman\\fcharset0 Times New Roman;}}"
    "{\\*\\revtbl{Unknown;}{Author;}}\r\n"
    "\\pard\\plain\\f0\\fs24 Kept {\\revised\\revauth1\\revdttm1 inserted }and "
    "{\\deleted\\revauthdel1\\revdttmdel1 removed }end.\\par\r\n"
    "Second{\\deleted\\revauthdel1  gone} line{\\*\\atnid A}{\\*\\atnauthor Author}\\chatn"
    "{\\*\\annotation{\\*\\atndate 0}\\pard\\plain\\f0 A comment\\par} ends.\\par\r\n}\r\n";

// Latin bytes under an ANSI face in a Cyrillic document, and Cyrillic ones
// under a Cyrillic face.
const char* kCharset0Under1251 =
    "{\\rtf1\\ansi\\ansicpg1251\\deff0{\\fonttbl{\\f0\\fswiss\\fcharset0 Arial;}"
    "{\\f1\\fswiss\\fcharset204 Times New Roman;}}\r\n"
    "\\pard\\plain\\f0\\fs24 caf\\'e9 na\\'efve Gr\\'fc\\'dfe\\par\r\n"
    "\\f1 \\'cf\\'f0\\'e8\\'e2\\'e5\\'f2\\par\r\n}\r\n";

// A character written for readers of bytes and, in \ud, of Unicode.
const char* kUprUd =
    "{\\rtf1\\ansi\\ansicpg1252\\deff0{\\fonttbl{\\f0\\fswiss\\fcharset0 Arial;}}\r\n"
    "\\pard\\plain\\f0\\fs24 A{\\upr{?}{\\*\\ud{\\u54620 ?}}}B and "
    "{\\upr{\\'3f\\'3f}{\\*\\ud{\\u20013 ?\\u25991 ?}}} end\\par\r\n}\r\n";

// GB18030's four-byte characters under a Chinese face: 㐀 䶵 😀, then 中文.
const char* kGb18030 =
    "{\\rtf1\\ansi\\ansicpg936\\deff0{\\fonttbl{\\f0\\fnil\\fcharset134 SimSun;}}\r\n"
    "\\pard\\plain\\f0\\fs24 \\'81\\'39\\'ee\\'39 \\'82\\'35\\'87\\'38 \\'94\\'39\\'fc\\'36 "
    "\\'d6\\'d0\\'ce\\'c4\\par\r\n}\r\n";

// A text as editors save "Unicode" text: UTF-16 with its byte-order mark,
// or without one.
QByteArray utf16Text(bool bigEndian, bool marked = true)
{
    const QString text = QString::fromUtf16(u"Grüße aus Köln\r\n中文的一行\r\nשלום עולם 😀\r\nend");
    QByteArray out = !marked ? QByteArray() : bigEndian ? QByteArray("\xFE\xFF") : QByteArray("\xFF\xFE");
    for (QChar c : text) {
        const char hi = char(c.unicode() >> 8), lo = char(c.unicode() & 0xFF);
        out.append(bigEndian ? hi : lo);
        out.append(bigEndian ? lo : hi);
    }
    return out;
}

} // namespace

QList<CorpusDocument> documentCorpus()
{
    QList<CorpusDocument> out;
    for (const FlatPart& p : kParts)
        out.append({QString::fromLatin1(p.name), flatOdt({&p}), {}});
    out.append({QStringLiteral("own-rich-edit"), {}, QByteArray(kOwnRichEdit)});
    out.append({QStringLiteral("word-processor"), {}, QByteArray(kWordStyle)});
    out.append({QStringLiteral("hebrew-1255"), {}, QByteArray(kHebrew)});
    out.append({QStringLiteral("vietnamese-1258"), {}, QByteArray(kVietnamese)});
    out.append({QStringLiteral("utf16-le"), {}, {}, utf16Text(false)});
    out.append({QStringLiteral("utf16-be"), {}, {}, utf16Text(true)});
    out.append({QStringLiteral("tracked-rtf"), {}, QByteArray(kTrackedRtf)});
    out.append({QStringLiteral("charset0-under-1251"), {}, QByteArray(kCharset0Under1251)});
    out.append({QStringLiteral("upr-ud"), {}, QByteArray(kUprUd)});
    out.append({QStringLiteral("gb18030-four-byte"), {}, QByteArray(kGb18030)});
    out.append({QStringLiteral("utf16-le-unmarked"), {}, {}, utf16Text(false, false)});
    out.append({QStringLiteral("utf16-be-unmarked"), {}, {}, utf16Text(true, false)});
    for (const FlatPart& p : kParts)
        if (QByteArray(p.name) == "tracked-changes")
            out.append({QStringLiteral("tracked-changes-doc"), flatOdt({&p}), {}, {}, true});
    return out;
}

QByteArray combinedFlatOdt()
{
    QList<const FlatPart*> parts;
    for (const FlatPart& p : kParts)
        if (!p.alone)
            parts.append(&p);
    return flatOdt(parts);
}

QByteArray chineseReport()
{
    for (const FlatPart& p : kParts)
        if (QByteArray(p.name) == "chinese-report")
            return flatOdt({&p});
    return {};
}

namespace {

struct Expected {
    const char* document; // nullptr: any
    const char* attribute;
    bool (*applies)(const ShownDifference&);
    const char* reason;
};

const Expected kExpected[] = {
    {"own-rich-edit", "face", [](const ShownDifference& d) { return QChar::script(d.ch) == QChar::Script_Han; },
     "East Asian characters of a run without \\dbch: the rich edit draws them in the run's font (its charset 134 "
     "holds them); the office program gives them its own default East Asian face"},
    {"imported", "colour",
     [](const ShownDifference& d) { return d.officeAutomatic && d.ours == QColor(255, 0, 0).name(); },
     "the rich-text panel gives imported text of the automatic colour an explicit red, so that it shows on "
     "the LEDs' black"},
    {nullptr, "size",
     [](const ShownDifference& d) {
         const double office = d.office.toDouble(), ours = d.ours.toDouble();
         return std::abs(ours - office) < 0.25 && std::abs(office * 2 - std::round(office * 2)) > 0.01
             && std::abs(ours * 2 - std::round(ours * 2)) < 0.01;
     },
     "small capitals are capitals of four fifths the size; RTF sizes go by half points, so we keep the "
     "nearest half point"},
    {"upr-ud", "text", [](const ShownDifference& d) { return QString(d.office).remove(u'?') == d.ours; },
     "the office program shows \\upr's form for readers of bytes as well as its \\ud form; a reader of Unicode "
     "shows the latter alone"},
    {"gb18030-four-byte", "text",
     [](const ShownDifference& d) {
         // What GBK holds reads the same; the rest shows as replacement marks there.
         QString gbk;
         for (qsizetype i = 0; i < d.ours.size(); ++i) {
             const qsizetype n = d.ours[i].isHighSurrogate() ? 2 : 1;
             QByteArray bytes;
             if (platform::encodeCodePage(d.ours.mid(i, n), 936, &bytes))
                 gbk += d.ours.mid(i, n);
             i += n - 1;
         }
         return d.office.contains(QChar(0xFFFD)) && QString(d.office).remove(QChar(0xFFFD)) == gbk;
     },
     "the office program reads code page 936 as GBK, whose four-byte characters it cannot read; we read 936 as "
     "GB18030, its superset"},
    {nullptr, "face", [](const ShownDifference& d) { return d.ours.isEmpty() && d.office == u"0"; },
     "the office program's RTF gives its normal style an East Asian face that its font table lacks: it reads "
     "that face as \"0\", we keep no face"},
};

} // namespace

const char* expectedDifference(const QString& document, const ShownDifference& d)
{
    for (const Expected& e : kExpected)
        if ((!e.document || document == QLatin1String(e.document)) && d.attribute == QLatin1String(e.attribute)
            && e.applies(d))
            return e.reason;
    return nullptr;
}

QString officeProgram() { return QStandardPaths::findExecutable(QStringLiteral("soffice")); }

bool convertWithOffice(const QString& work, const QStringList& files, const QString& format, const QString& outDir,
                       QString* log)
{
    QProcess p;
    p.setProcessChannelMode(QProcess::MergedChannels);
    const QString profile = QUrl::fromLocalFile(QDir(work).filePath(QStringLiteral("office-profile"))).toString();
    p.start(officeProgram(), QStringList{QStringLiteral("-env:UserInstallation=") + profile,
                                         QStringLiteral("--headless"), QStringLiteral("--norestore"),
                                         QStringLiteral("--convert-to"), format, QStringLiteral("--outdir"), outDir}
                                 + files);
    const bool ended = p.waitForFinished(90000);
    if (!ended) {
        p.kill();
        p.waitForFinished(5000);
    }
    if (log)
        *log = QString::fromLocal8Bit(p.readAll());
    if (!ended)
        return false;
    const QString ext = format.section(u':', 0, 0);
    for (const QString& f : files)
        if (!QFileInfo::exists(QDir(outDir).filePath(QFileInfo(f).completeBaseName() + u'.' + ext)))
            return false;
    return true;
}

} // namespace support
