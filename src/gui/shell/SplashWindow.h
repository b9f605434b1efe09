#pragma once

#include <QPixmap>
#include <QString>
#include <QWidget>

struct AppContext;

// frmSplash: a frameless window whose whole content is the SplashScreenLogo
// picture. Without a loadable picture it shows the product name and the title
// on a plain background, so the start-up wait still shows something.
class SplashWindow : public QWidget {
    Q_OBJECT
public:
    explicit SplashWindow(const AppContext &context, QWidget *parent = nullptr);

    const QPixmap &picture() const { return m_picture; }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QPixmap m_picture;
    QString m_fallbackText;
};
