#include "platform/LangPack.h"

#include "platform/LangPackReader.h"
#include "platform/Languages.h"
#include "platform/OperatorFile.h"

#include <QCoreApplication>
#include <QFile>
#include <QHash>
#include <QIconEngine>
#include <QLibraryInfo>
#include <QPainter>
#include <QPixmap>
#include <QResource>
#include <QSvgRenderer>
#include <QTranslator>
#include <atomic>
#include <memory>
#include <mutex>

namespace platform {
namespace {

// A registered bundle: its bytes must outlive the registration.
struct RegisteredBundle {
    QByteArray bytes;
    QString root;
    ~RegisteredBundle()
    {
        QResource::unregisterResource(reinterpret_cast<const uchar*>(bytes.constData()), root);
    }
};

struct Table {
    std::mutex lock;
    QHash<unsigned, QString> strings;
    QHash<unsigned, QIcon> icons;
    QHash<unsigned, QImage> bitmaps;
    QHash<unsigned, LangToolBar> toolbars;
    QHash<unsigned, LangMenu> menus;
    QHash<quint32, QString> dialogTexts;
    std::shared_ptr<RegisteredBundle> bundle;
};

Table& table()
{
    static Table t;
    return t;
}

// Draws a pack icon from its SVG; disabled icons are greyed and faded so they
// read as unavailable on any background. The SVG is parsed once and each size
// and mode drawn once: the tree and the toolbars paint their icons often.
// Icons live on the interface thread, as pixmaps do.
class SvgIconEngine final : public QIconEngine {
public:
    explicit SvgIconEngine(QByteArray svg) : m_shared(std::make_shared<Shared>(std::move(svg))) {}

    void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode, QIcon::State state) override
    {
        painter->drawPixmap(rect, pixmap(rect.size(), mode, state));
    }

    QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State) override
    {
        if (size.isEmpty())
            return {};
        const bool disabled = mode == QIcon::Disabled;
        const quint64 key = (quint64(quint32(size.width())) << 32) | (quint64(quint16(size.height())) << 1) | disabled;
        auto& cache = m_shared->drawn;
        if (const auto it = cache.constFind(key); it != cache.constEnd())
            return *it;
        QImage image(size, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        {
            QPainter p(&image);
            m_shared->renderer().render(&p, QRectF(QPointF(0, 0), QSizeF(size)));
        }
        if (disabled) {
            image = image.convertToFormat(QImage::Format_ARGB32);
            for (int y = 0; y < image.height(); ++y) {
                auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
                for (int x = 0; x < image.width(); ++x) {
                    const int grey = qGray(line[x]);
                    line[x] = qRgba(grey, grey, grey, qAlpha(line[x]) * 2 / 5);
                }
            }
        }
        // A few sizes in practice; an odd caller asking for many starts over.
        if (cache.size() >= kMaxDrawn)
            cache.clear();
        return cache.insert(key, QPixmap::fromImage(image)).value();
    }

    QList<QSize> availableSizes(QIcon::Mode, QIcon::State) override
    {
        return {QSize(16, 16), QSize(24, 24), QSize(32, 32), QSize(48, 48)};
    }

    QString key() const override { return QStringLiteral("tavrelo-lang-svg"); }
    QIconEngine* clone() const override { return new SvgIconEngine(m_shared); }

private:
    static constexpr qsizetype kMaxDrawn = 16;
    struct Shared {
        explicit Shared(QByteArray bytes) : svg(std::move(bytes)) {}
        // Parsed on the first drawing: a pack holds many icons never shown.
        QSvgRenderer& renderer()
        {
            if (!parsed)
                parsed = std::make_unique<QSvgRenderer>(svg);
            return *parsed;
        }
        QByteArray svg;
        std::unique_ptr<QSvgRenderer> parsed;
        QHash<quint64, QPixmap> drawn;
    };
    explicit SvgIconEngine(std::shared_ptr<Shared> shared) : m_shared(std::move(shared)) {}

    std::shared_ptr<Shared> m_shared;
};

} // namespace

QString langString(unsigned id)
{
    auto& t = table();
    std::lock_guard g(t.lock);
    return t.strings.value(id);
}

QIcon langIcon(unsigned id)
{
    auto& t = table();
    std::lock_guard g(t.lock);
    return t.icons.value(id);
}

QImage langBitmap(unsigned id)
{
    auto& t = table();
    std::lock_guard g(t.lock);
    return t.bitmaps.value(id);
}

std::optional<LangToolBar> langToolBar(unsigned id)
{
    auto& t = table();
    std::lock_guard g(t.lock);
    auto it = t.toolbars.constFind(id);
    if (it == t.toolbars.constEnd())
        return std::nullopt;
    return *it;
}

std::optional<LangMenu> langMenu(unsigned id)
{
    auto& t = table();
    std::lock_guard g(t.lock);
    auto it = t.menus.constFind(id);
    if (it == t.menus.constEnd())
        return std::nullopt;
    return *it;
}

QString langDialogText(unsigned templateId, unsigned controlId)
{
    if (templateId > 0xFFFF || controlId > 0xFFFF)
        return {};
    auto& t = table();
    std::lock_guard g(t.lock);
    return t.dialogTexts.value(langDialogKey(templateId, controlId));
}

void setLangString(unsigned id, const QString& text)
{
    auto& t = table();
    std::lock_guard g(t.lock);
    t.strings.insert(id, text);
}

void setLangIcon(unsigned id, const QIcon& icon)
{
    auto& t = table();
    std::lock_guard g(t.lock);
    t.icons.insert(id, icon);
}

void setLangBitmap(unsigned id, const QImage& image)
{
    auto& t = table();
    std::lock_guard g(t.lock);
    t.bitmaps.insert(id, image);
}

void setLangToolBar(unsigned id, const LangToolBar& bar)
{
    auto& t = table();
    std::lock_guard g(t.lock);
    t.toolbars.insert(id, bar);
}

void setLangMenu(unsigned id, const LangMenu& menu)
{
    auto& t = table();
    std::lock_guard g(t.lock);
    t.menus.insert(id, menu);
}

void setLangDialogText(unsigned templateId, unsigned controlId, const QString& text)
{
    if (templateId > 0xFFFF || controlId > 0xFFFF)
        return;
    auto& t = table();
    std::lock_guard g(t.lock);
    t.dialogTexts.insert(langDialogKey(templateId, controlId), text);
}

void clearLangPack()
{
    std::shared_ptr<RegisteredBundle> old;
    {
        auto& t = table();
        std::lock_guard g(t.lock);
        t.strings.clear();
        t.icons.clear();
        t.bitmaps.clear();
        t.toolbars.clear();
        t.menus.clear();
        t.dialogTexts.clear();
        old = std::move(t.bundle);
    }
}

bool loadLangPackData(const QByteArray& rcc, QString* error)
{
    if (!checkResourceBundle(rcc, error))
        return false;

    static std::atomic<unsigned> serial{0};
    auto bundle = std::make_shared<RegisteredBundle>();
    bundle->bytes = rcc;
    bundle->bytes.detach(); // the registration keeps pointing at these bytes
    bundle->root = QStringLiteral("/tavrelo-lang-%1").arg(++serial);
    if (!QResource::registerResource(reinterpret_cast<const uchar*>(bundle->bytes.constData()), bundle->root)) {
        if (error)
            *error = QStringLiteral("the resource bundle was not accepted");
        bundle->root.clear(); // nothing to unregister
        return false;
    }

    const QString base = QLatin1Char(':') + bundle->root + QLatin1Char('/');
    auto read = [&](const QString& name) -> std::optional<QByteArray> {
        if (name.contains(QLatin1String("..")))
            return std::nullopt;
        QFile file(base + name);
        if (!file.open(QIODevice::ReadOnly))
            return std::nullopt;
        return file.readAll();
    };
    auto content = parseLangPack(read, error);
    if (!content)
        return false; // the new bundle unregisters when it goes

    QHash<unsigned, QIcon> icons;
    for (auto it = content->icons.cbegin(); it != content->icons.cend(); ++it)
        icons.insert(it.key(), QIcon(new SvgIconEngine(it.value())));

    std::shared_ptr<RegisteredBundle> old;
    {
        auto& t = table();
        std::lock_guard g(t.lock);
        t.strings = std::move(content->strings);
        t.dialogTexts = std::move(content->dialogTexts);
        t.menus = std::move(content->menus);
        t.toolbars = std::move(content->toolbars);
        t.bitmaps = std::move(content->bitmaps);
        t.icons = std::move(icons);
        old = std::exchange(t.bundle, std::move(bundle));
    }
    return true; // the earlier bundle unregisters here, outside the lock
}

bool loadLangPack(const QString& rccPath, QString* error)
{
    // Packs are a few hundred kilobytes; anything far larger is not one.
    constexpr qint64 kMaxPackSize = 64 << 20;
    QByteArray bytes;
    switch (readOperatorFile(rccPath, kMaxPackSize, bytes)) {
    case FileRead::Ok:
        break;
    case FileRead::TooLarge:
        if (error)
            *error = QStringLiteral("%1: too large for a language pack").arg(rccPath);
        return false;
    case FileRead::NotAFile:
        if (error)
            *error = QStringLiteral("%1: not a file").arg(rccPath);
        return false;
    default:
        if (error)
            *error = QStringLiteral("%1: cannot be read").arg(rccPath);
        return false;
    }
    QString why;
    if (!loadLangPackData(bytes, &why)) {
        if (error)
            *error = QStringLiteral("%1: %2").arg(rccPath, why);
        return false;
    }
    return true;
}

namespace {

// Key names stay as the packs write them (Ctrl+S, Del, Space): Qt's own
// translations turn some of them, but not the modifiers, into words.
class LatinKeyNames final : public QTranslator {
public:
    QString translate(const char* context, const char* sourceText, const char* disambiguation, int n) const override
    {
        Q_UNUSED(disambiguation);
        Q_UNUSED(n);
        if (context && sourceText && qstrcmp(context, "QShortcut") == 0)
            return QString::fromUtf8(sourceText);
        return {};
    }
    bool isEmpty() const override { return false; }
};

} // namespace

bool installQtTranslations(unsigned language)
{
    static std::unique_ptr<QTranslator> current;
    static LatinKeyNames keyNames;
    if (current) {
        QCoreApplication::removeTranslator(&keyNames);
        QCoreApplication::removeTranslator(current.get());
        current.reset();
    }
    const char* locale = platform::language(int(language)).locale;
    if (!locale)
        return true; // Qt speaks English by itself
    auto translator = std::make_unique<QTranslator>();
    if (!translator->load(QStringLiteral("qtbase_") + QLatin1String(locale),
                          QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        return false;
    QCoreApplication::installTranslator(translator.get());
    // Installed last, asked first.
    QCoreApplication::installTranslator(&keyNames);
    current = std::move(translator);
    return true;
}

} // namespace platform
