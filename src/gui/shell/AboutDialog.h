#pragma once

#include <QDialog>
#include <QPixmap>

struct AppContext;
class QLabel;
class QPushButton;

// frmAbout: product name, title, version, description, copyright and a
// warning line, over the AboutBoxGraphic picture. Everything is filled when
// the box is made, so a new box is made each time Help, About is chosen.
class AboutDialog : public QDialog {
    Q_OBJECT
public:
    explicit AboutDialog(const AppContext &context, QWidget *parent = nullptr);

    bool hasBackground() const { return !m_background.isNull(); }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QLabel *addLabel(const char *name, const QString &text);

    QPixmap m_background;
};
