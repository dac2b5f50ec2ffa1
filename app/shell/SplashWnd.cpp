#include "app/shell/SplashWnd.h"

#include "app/shell/ShellLang.h"
#include "platform/Des.h"
#include "platform/FontMap.h"
#include "platform/LangPack.h"
#include "platform/OperatorFile.h"

#include <QFileInfo>
#include <QGuiApplication>
#include <QPaintEvent>
#include <QPainter>

#include <algorithm>
#include <cstring>
#include <QPointer>
#include <QScreen>

namespace shell {

namespace {

constexpr unsigned kSplashPicture = 6268;
constexpr unsigned kStatusStarting = 48234;
constexpr unsigned kStatusReady = 48235;

QPointer<CSplashWnd>& splash()
{
    static QPointer<CSplashWnd> s;
    return s;
}

} // namespace

QByteArray DecipherSplashData(const QByteArray& enciphered)
{
    platform::DesContext des;
    platform::DesInit(des);
    platform::DesSetKey(des);
    QByteArray out;
    out.reserve(enciphered.size());
    for (qsizetype at = 0; at < enciphered.size(); at += 8) {
        std::uint8_t block[8] = {};
        const qsizetype n = std::min<qsizetype>(8, enciphered.size() - at);
        std::memcpy(block, enciphered.constData() + at, size_t(n));
        platform::DesDecryptBlock(block, des);
        out.append(reinterpret_cast<const char*>(des.out.data()), n);
    }
    return out;
}

bool LoadSplashPng(QImage& image)
{
    image = QImage();
    const QByteArray data = packData(kSplashPicture);
    if (!data.isEmpty()) {
        image.loadFromData(data);
        return true;
    }
    image = platform::langBitmap(kSplashPicture);
    return !image.isNull();
}

QImage LoadSplashPicture(const QString& appFolder, int ci)
{
    QImage picture;
    const QString folder = appFolder + QStringLiteral("CADV");
    if (!QFileInfo(folder).isDir()) {
        if (ci)
            LoadSplashPng(picture);
        return picture;
    }
    QByteArray data;
    if (platform::readOperatorFile(folder + QStringLiteral("/PNDATA1"), platform::kMaxPictureFileBytes, data)
        == platform::FileRead::Ok)
        picture.loadFromData(DecipherSplashData(data));
    if (picture.isNull() && ci)
        LoadSplashPng(picture);
    return picture;
}

CSplashWnd::CSplashWnd(const QString& appFolder, int ci)
    : QWidget(nullptr, Qt::SplashScreen | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint),
      m_appFolder(appFolder), m_ci(ci)
{
    setAttribute(Qt::WA_DeleteOnClose);
    setCursor(Qt::ArrowCursor);
    m_font = QFont(platform::SubstituteFace(QStringLiteral("宋体")));
    m_font.setPointSize(12);
}

bool CSplashWnd::Create()
{
    m_picture = LoadSplashPicture(m_appFolder, m_ci);
    if (m_picture.isNull())
        return false;
    setFixedSize(m_picture.size());
    if (QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->geometry().center() - rect().center());
    m_back = QImage(m_picture.size(), QImage::Format_RGB32);
    DrawStatus(kStatusStarting);
    return true;
}

void CSplashWnd::DrawStatus(unsigned stringId)
{
    m_status = packString(stringId);
    if (m_back.isNull())
        return;
    QPainter p(&m_back);
    p.drawImage(0, 0, m_picture);
    p.setFont(m_font);
    p.setPen(Qt::white);
    p.drawText(m_back.rect(), Qt::AlignCenter | Qt::TextSingleLine, m_status);
    p.end();
    update();
}

void CSplashWnd::paintEvent(QPaintEvent* event)
{
    QPainter p(this);
    p.drawImage(event->rect(), m_back, event->rect());
}

int ShowSplash(const QString& appFolder, int ci)
{
    if (splash())
        return 0;
    auto* w = new CSplashWnd(appFolder, ci);
    if (!w->Create()) {
        delete w;
        return 0;
    }
    splash() = w;
    w->show();
    w->repaint();
    return 1;
}

void HideSplash()
{
    CSplashWnd* w = splash();
    if (!w)
        return;
    w->DrawStatus(kStatusReady);
    w->repaint();
    splash() = nullptr;
    w->close();   // deletes itself
}

CSplashWnd* CurrentSplash()
{
    return splash();
}

} // namespace shell
