// Pictures for review: the main menu of each pack as the program shows it,
// and every icon of the pack at toolbar and tree sizes.
#include "PackFiles.h"

#include <QApplication>
#include <QDir>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <gtest/gtest.h>

using namespace platform;

namespace {

QString outputDir(const QString& sub)
{
    const QString dir = qEnvironmentVariable("TAVRELO_TEST_OUTPUT") + QLatin1Char('/') + sub;
    QDir().mkpath(dir);
    return dir;
}

void fillMenu(QMenu* menu, const QList<LangMenuItem>& items)
{
    for (const LangMenuItem& item : items) {
        if (item.separator) {
            menu->addSeparator();
        } else if (item.isPopup()) {
            fillMenu(menu->addMenu(item.text), item.submenu);
        } else {
            QAction* action = menu->addAction(item.text);
            action->setShortcut(item.shortcut);
            action->setData(item.command);
        }
    }
}

} // namespace

TEST(LangPackSnapshots, MainMenuInEachLanguage)
{
    LangPackScope scope;
    for (const QString& code : packCodes()) {
        ASSERT_TRUE(loadLangPack(packPath(code)));
        const auto menu = langMenu(128);
        ASSERT_TRUE(menu.has_value());

        QMenuBar bar;
        QList<QMenu*> popups;
        for (const LangMenuItem& top : menu->items) {
            ASSERT_TRUE(top.isPopup()) << "the menu bar holds popups only";
            QMenu* popup = bar.addMenu(top.text);
            fillMenu(popup, top.submenu);
            popups << popup;
        }
        bar.adjustSize();
        QList<QImage> parts;
        int width = 0, height = 0;
        for (QMenu* popup : popups) {
            popup->adjustSize();
            const QImage image = popup->grab().toImage();
            width += image.width() + 8;
            height = qMax(height, image.height());
            parts << image;
        }
        const QImage barImage = bar.grab(QRect(QPoint(), bar.sizeHint())).toImage();
        QImage sheet(qMax(width, barImage.width()), barImage.height() + 8 + height, QImage::Format_RGB32);
        sheet.fill(QColor(0xd0, 0xd4, 0xd8));
        QPainter p(&sheet);
        p.drawImage(0, 0, barImage);
        int x = 0;
        for (const QImage& part : parts) {
            p.drawImage(x, barImage.height() + 8, part);
            x += part.width() + 8;
        }
        p.end();
        const QString file = outputDir("shell") + QStringLiteral("/main-menu-%1.png").arg(code.toLower());
        ASSERT_TRUE(sheet.save(file)) << file.toStdString();

        // Every action of the bar carries a text and a command; the File popup has the shortcut of New.
        EXPECT_EQ(popups[0]->actions().first()->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_N));
        for (QMenu* popup : popups)
            for (QAction* a : popup->actions())
                EXPECT_TRUE(a->isSeparator() || a->menu() || (!a->text().isEmpty() && a->data().toUInt() != 0));
    }
}

TEST(LangPackSnapshots, IconSheet)
{
    LangPackScope scope;
    ASSERT_TRUE(loadLangPack(packPath("EN")));
    QList<unsigned> ids;
    for (unsigned id = 1; id < 0x10000; ++id)
        if (!langIcon(id).isNull())
            ids << id;
    ASSERT_FALSE(ids.isEmpty());
    const int cell = 76, columns = 10;
    QImage sheet(columns * cell, int((ids.size() + columns - 1) / columns) * cell, QImage::Format_RGB32);
    sheet.fill(Qt::white);
    QPainter p(&sheet);
    for (int i = 0; i < ids.size(); ++i) {
        const QPoint at((i % columns) * cell, (i / columns) * cell);
        const QIcon icon = langIcon(ids[i]);
        p.drawPixmap(at + QPoint(4, 4), icon.pixmap(32, 32));
        p.drawPixmap(at + QPoint(40, 4), icon.pixmap(16, 16));
        p.drawPixmap(at + QPoint(40, 22), icon.pixmap(16, QIcon::Disabled));
        p.drawText(QRect(at + QPoint(0, 40), QSize(cell, 20)), Qt::AlignCenter, QString::number(ids[i]));
    }
    p.end();
    EXPECT_TRUE(sheet.save(outputDir("lang") + QStringLiteral("/icons.png")));
}
