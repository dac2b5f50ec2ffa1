#pragma once
// The start-up picture window: the picture from "CADV/PNDATA1" (enciphered)
// or the pack's picture 6268, with one status line drawn over it. At most one
// per process.
#include <QByteArray>
#include <QFont>
#include <QImage>
#include <QWidget>

namespace shell {

// Deciphers the splash file: 8-byte blocks, the last one zero-padded, with as
// many bytes kept as were read.
QByteArray DecipherSplashData(const QByteArray& enciphered);
// The picture the splash shows for a program folder (ending with "/") and the
// "CI" option; a null image when there is none.
QImage LoadSplashPicture(const QString& appFolder, int ci);
// The pack's picture 6268; false (image emptied) when the pack has none.
bool LoadSplashPng(QImage& image);

class CSplashWnd : public QWidget {
    Q_OBJECT
public:
    explicit CSplashWnd(const QString& appFolder, int ci);
    // Loads the picture and builds the window; false when there is no picture.
    bool Create();
    void DrawStatus(unsigned stringId);
    const QImage& picture() const { return m_picture; }
    const QImage& backBuffer() const { return m_back; }
    const QString& statusText() const { return m_status; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString m_appFolder;
    int m_ci;
    QImage m_picture;
    QImage m_back;
    QFont m_font;
    QString m_status;
};

// 1 when a splash window was made and shown; 0 when one exists or there is no picture.
int ShowSplash(const QString& appFolder, int ci);
// Draws the closing status, repaints, and destroys the window.
void HideSplash();
CSplashWnd* CurrentSplash();

} // namespace shell
