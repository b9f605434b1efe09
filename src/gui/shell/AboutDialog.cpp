#include "gui/shell/AboutDialog.h"

#include "core/session/AppContext.h"
#include "gui/shell/Pictures.h"

#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

// Room on the left for the emblem that our own About picture carries there.
constexpr int kPictureMargin = 132;
constexpr int kPlainMargin = 20;

QFrame *separatorLine()
{
    auto *line = new QFrame;
    line->setObjectName(QStringLiteral("Line1"));
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Sunken);
    return line;
}

} // namespace

AboutDialog::AboutDialog(const AppContext &context, QWidget *parent) : QDialog(parent)
{
    const SettingsRecord &settings = context.settings;
    setObjectName(QStringLiteral("frmAbout"));
    setModal(true);

    const QIcon icon = titleBarIcon(context);
    if (!icon.isNull())
        setWindowIcon(icon);
    setWindowTitle(QStringLiteral("About ") + settings.TitleBarName.trimmed());
    m_background = loadPicture(context, settings.AboutBoxGraphic);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(hasBackground() ? kPictureMargin : kPlainMargin, 18, 20, 14);

    QLabel *title = addLabel("lblTitle", settings.ProductName.trimmed() + QLatin1Char(' ') +
                                             settings.TitleBarName.trimmed());
    QFont titleFont = title->font();
    titleFont.setPointSizeF(titleFont.pointSizeF() * 1.4);
    titleFont.setBold(true);
    title->setFont(titleFont);
    layout->addWidget(title);
    layout->addWidget(
        addLabel("lblVersion", QStringLiteral("Version ") + settings.VersionNum.trimmed()));
    layout->addSpacing(8);
    layout->addWidget(addLabel(
        "lblDescription", QStringLiteral("Description: This utility is used for easy configuration "
                                         "management of a device server.")));
    layout->addSpacing(8);
    layout->addWidget(separatorLine());
    layout->addWidget(addLabel("lblCopyright", settings.CopyrightYear.trimmed() + QLatin1Char(' ') +
                                                   settings.CompanyName.trimmed()));
    layout->addWidget(separatorLine());

    QLabel *disclaimer = addLabel(
        "lblDisclaimer",
        QStringLiteral("Warning: this software and its documentation are protected by copyright "
                       "law and international agreements. Copying, passing on or selling this "
                       "program, or any part of it, without the written consent of its owner is "
                       "not allowed and may be pursued under civil and criminal law."));
    QFont smallFont = disclaimer->font();
    smallFont.setPointSizeF(smallFont.pointSizeF() * 0.85);
    disclaimer->setFont(smallFont);

    auto *cmdOK = new QPushButton(QStringLiteral("OK"));
    cmdOK->setObjectName(QStringLiteral("cmdOK"));
    cmdOK->setDefault(true);
    connect(cmdOK, &QPushButton::clicked, this, &QDialog::accept);

    auto *bottom = new QHBoxLayout;
    bottom->addWidget(disclaimer, 1);
    bottom->addWidget(cmdOK, 0, Qt::AlignBottom);
    layout->addStretch();
    layout->addLayout(bottom);

    setMinimumSize(500, 300);
    resize(minimumSizeHint().expandedTo(QSize(500, 300)));
}

QLabel *AboutDialog::addLabel(const char *name, const QString &text)
{
    auto *label = new QLabel(text);
    label->setObjectName(QString::fromLatin1(name));
    label->setWordWrap(true);
    return label;
}

void AboutDialog::paintEvent(QPaintEvent *event)
{
    if (hasBackground()) {
        // Fill the box whatever the picture's size, keeping its proportions.
        QPainter painter(this);
        const QPixmap scaled =
            m_background.scaled(size(), Qt::KeepAspectRatioByExpanding, Qt::SmoothTransformation);
        painter.drawPixmap(0, 0, scaled);
    }
    QDialog::paintEvent(event);
}
