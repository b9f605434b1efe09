#include "gui/shell/SplashWindow.h"

#include "core/session/AppContext.h"
#include "gui/shell/Pictures.h"

#include <QGuiApplication>
#include <QPainter>
#include <QScreen>

namespace {
constexpr QSize kPlainSize(420, 240);
}

SplashWindow::SplashWindow(const AppContext &context, QWidget *parent)
    : QWidget(parent, Qt::SplashScreen | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint),
      m_picture(loadPicture(context, context.settings.SplashScreenLogo))
{
    setObjectName(QStringLiteral("frmSplash"));
    setAttribute(Qt::WA_OpaquePaintEvent);
    m_fallbackText = context.settings.ProductName.trimmed() + QLatin1Char('\n') +
                     context.settings.TitleBarName.trimmed();
    setFixedSize(m_picture.isNull() ? kPlainSize : m_picture.deviceIndependentSize().toSize());
    if (const QScreen *screen = QGuiApplication::primaryScreen()) {
        QRect frame(QPoint(), size());
        frame.moveCenter(screen->availableGeometry().center());
        move(frame.topLeft());
    }
}

void SplashWindow::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    if (!m_picture.isNull()) {
        painter.drawPixmap(0, 0, m_picture);
        return;
    }
    painter.fillRect(rect(), palette().window());
    painter.setPen(QPen(palette().windowText(), 1));
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
    QFont font = painter.font();
    font.setPointSizeF(font.pointSizeF() * 1.6);
    font.setBold(true);
    painter.setFont(font);
    painter.drawText(rect(), Qt::AlignCenter, m_fallbackText);
}
