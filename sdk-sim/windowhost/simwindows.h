#pragma once

// The simulator's own windows: the meeting, the waiting room and the
// screen-cast view, standing in for the real SDK's windows. They live in the
// simulator's window process, never in the client's.

#include <QWidget>

#include <functional>

class QLabel;
class QPushButton;

class SimMeetingWindow final : public QWidget
{
public:
    SimMeetingWindow(const QString &title, const QString &meetingCode, const QString &nickname,
                     bool showInvite);

    void setMic(bool on);
    void setCamera(bool on);
    bool micOn() const { return m_micOn; }
    bool cameraOn() const { return m_cameraOn; }
    // Closed by the SDK itself, so no leave is reported.
    void closeQuietly();

    std::function<void()> onInvite;
    std::function<void()> onLeave;
    std::function<void(bool)> onMic;
    std::function<void(bool)> onCamera;

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    QLabel *m_micLabel = nullptr;
    QLabel *m_cameraLabel = nullptr;
    QPushButton *m_micButton = nullptr;
    QPushButton *m_cameraButton = nullptr;
    bool m_micOn = false;
    bool m_cameraOn = false;
    bool m_quiet = false;
};

class SimWaitingRoomWindow final : public QWidget
{
public:
    SimWaitingRoomWindow(const QString &title, const QString &meetingCode, const QString &nickname);
    void closeQuietly();

    std::function<void()> onAdmit;
    std::function<void()> onLeave;

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    bool m_quiet = false;
};

class SimScreenCastWindow final : public QWidget
{
public:
    explicit SimScreenCastWindow(const QString &title);
    QString castCode() const { return m_castCode; }

private:
    QString m_castCode;
};
