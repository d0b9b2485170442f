#include "sdk-sim/windowhost/simwindows.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRandomGenerator>
#include <QScreen>
#include <QVBoxLayout>

namespace {

QLabel *addLabel(QVBoxLayout *layout, const QString &name, const QString &text)
{
    auto *label = new QLabel(text);
    label->setObjectName(name);
    layout->addWidget(label);
    return label;
}

QPushButton *addButton(QHBoxLayout *layout, const QString &name, const QString &text)
{
    auto *button = new QPushButton(text);
    button->setObjectName(name);
    button->setCursor(Qt::PointingHandCursor);
    layout->addWidget(button);
    return button;
}

// A meeting window opens in the middle of the screen, as the SDK's do.
void placeCentred(QWidget *window)
{
    if (const QScreen *screen = QGuiApplication::primaryScreen()) {
        QRect frame(QPoint(), window->size());
        frame.moveCenter(screen->availableGeometry().center());
        window->move(frame.topLeft());
    }
}

QString onOff(bool on)
{
    return on ? QStringLiteral("开") : QStringLiteral("关");
}

} // namespace

SimMeetingWindow::SimMeetingWindow(const QString &title, const QString &meetingCode, const QString &nickname,
                                   bool showInvite)
{
    setObjectName(QStringLiteral("simMeetingWindow"));
    setAttribute(Qt::WA_DeleteOnClose);
    // The SDK's windows never end the client's event loop.
    setAttribute(Qt::WA_QuitOnClose, false);
    setWindowTitle(title);
    resize(420, 240);
    placeCentred(this);

    auto *layout = new QVBoxLayout(this);
    addLabel(layout, QStringLiteral("simMeetingCodeLabel"), QStringLiteral("会议号：%1").arg(meetingCode));
    addLabel(layout, QStringLiteral("simNicknameLabel"), QStringLiteral("昵称：%1").arg(nickname));
    m_micLabel = addLabel(layout, QStringLiteral("simMicLabel"), QString());
    m_cameraLabel = addLabel(layout, QStringLiteral("simCameraLabel"), QString());
    layout->addStretch();

    auto *buttons = new QHBoxLayout;
    layout->addLayout(buttons);
    m_micButton = addButton(buttons, QStringLiteral("simMicButton"), QString());
    m_cameraButton = addButton(buttons, QStringLiteral("simCameraButton"), QString());
    QPushButton *invite = addButton(buttons, QStringLiteral("simInviteButton"), QStringLiteral("邀请"));
    invite->setVisible(showInvite);
    QPushButton *leave = addButton(buttons, QStringLiteral("simLeaveButton"), QStringLiteral("离开会议"));

    connect(m_micButton, &QPushButton::clicked, this, [this] {
        if (onMic)
            onMic(!m_micOn);
    });
    connect(m_cameraButton, &QPushButton::clicked, this, [this] {
        if (onCamera)
            onCamera(!m_cameraOn);
    });
    connect(invite, &QPushButton::clicked, this, [this] {
        if (onInvite)
            onInvite();
    });
    connect(leave, &QPushButton::clicked, this, [this] {
        if (onLeave)
            onLeave();
    });
    setMic(false);
    setCamera(false);
}

void SimMeetingWindow::setMic(bool on)
{
    m_micOn = on;
    m_micLabel->setText(QStringLiteral("麦克风：%1").arg(onOff(on)));
    m_micButton->setText(on ? QStringLiteral("静音") : QStringLiteral("解除静音"));
}

void SimMeetingWindow::setCamera(bool on)
{
    m_cameraOn = on;
    m_cameraLabel->setText(QStringLiteral("摄像头：%1").arg(onOff(on)));
    m_cameraButton->setText(on ? QStringLiteral("关闭视频") : QStringLiteral("开启视频"));
}

void SimMeetingWindow::closeQuietly()
{
    m_quiet = true;
    close();
}

void SimMeetingWindow::closeEvent(QCloseEvent *event)
{
    // The title bar's close button leaves the meeting, as the leave button
    // does; the window goes once the SDK has processed the leave.
    if (!m_quiet && onLeave) {
        event->ignore();
        onLeave();
        return;
    }
    QWidget::closeEvent(event);
}

SimWaitingRoomWindow::SimWaitingRoomWindow(const QString &title, const QString &meetingCode,
                                           const QString &nickname)
{
    setObjectName(QStringLiteral("simWaitingRoomWindow"));
    setAttribute(Qt::WA_DeleteOnClose);
    // The SDK's windows never end the client's event loop.
    setAttribute(Qt::WA_QuitOnClose, false);
    setWindowTitle(title);
    resize(360, 180);
    placeCentred(this);

    auto *layout = new QVBoxLayout(this);
    addLabel(layout, QStringLiteral("simWaitingLabel"), QStringLiteral("请稍候，主持人即将邀请您入会"));
    addLabel(layout, QStringLiteral("simMeetingCodeLabel"), QStringLiteral("会议号：%1").arg(meetingCode));
    addLabel(layout, QStringLiteral("simNicknameLabel"), QStringLiteral("昵称：%1").arg(nickname));
    layout->addStretch();

    auto *buttons = new QHBoxLayout;
    layout->addLayout(buttons);
    // Stands in for the host letting the user in.
    QPushButton *admit =
        addButton(buttons, QStringLiteral("simAdmitButton"), QStringLiteral("模拟主持人准入"));
    QPushButton *leave =
        addButton(buttons, QStringLiteral("simWaitingLeaveButton"), QStringLiteral("离开等候室"));
    connect(admit, &QPushButton::clicked, this, [this] {
        if (onAdmit)
            onAdmit();
    });
    connect(leave, &QPushButton::clicked, this, [this] {
        if (onLeave)
            onLeave();
    });
}

void SimWaitingRoomWindow::closeQuietly()
{
    m_quiet = true;
    close();
}

void SimWaitingRoomWindow::closeEvent(QCloseEvent *event)
{
    if (!m_quiet && onLeave) {
        event->ignore();
        onLeave();
        return;
    }
    QWidget::closeEvent(event);
}

SimScreenCastWindow::SimScreenCastWindow(const QString &title)
{
    setObjectName(QStringLiteral("simScreenCastWindow"));
    setAttribute(Qt::WA_DeleteOnClose);
    // The SDK's windows never end the client's event loop.
    setAttribute(Qt::WA_QuitOnClose, false);
    setWindowTitle(title);
    resize(320, 160);
    placeCentred(this);

    m_castCode = QString::number(QRandomGenerator::global()->bounded(100000, 1000000));
    auto *layout = new QVBoxLayout(this);
    addLabel(layout, QStringLiteral("simScreenCastCodeLabel"), QStringLiteral("投屏码：%1").arg(m_castCode));
    addLabel(layout, QStringLiteral("simScreenCastHintLabel"),
             QStringLiteral("在会议室设备上输入投屏码即可投屏"));
    layout->addStretch();
    auto *buttons = new QHBoxLayout;
    layout->addLayout(buttons);
    buttons->addStretch();
    QPushButton *close =
        addButton(buttons, QStringLiteral("simScreenCastCloseButton"), QStringLiteral("关闭"));
    connect(close, &QPushButton::clicked, this, &QWidget::close);
}
