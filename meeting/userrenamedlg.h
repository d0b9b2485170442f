#pragma once

#include "http/servicereply.h"

#include "widgets/borderdialog.h"

#include <QElapsedTimer>
#include <QString>

class TmMtgNickChangeHttp;
class WaitingSpinnerWidget;

namespace Ui {
class userRenameDlg;
}

// Changes the name under which the user appears in meetings.
class userRenameDlg final : public BorderDialog
{
    Q_OBJECT
    Q_DISABLE_COPY(userRenameDlg)

public:
    explicit userRenameDlg(QWidget *parent = nullptr);
    ~userRenameDlg() override;

signals:
    void nickChangedSignal();

public slots:
    void onbtnCancelClicked();
    void onbtnConfirmClicked();
    void onbtnConfirmEnabled(QString text);
    void wmForcedLogoutCompleteSlot();
    void tmMtgNickChangeResultSlot(QString result, ServiceReply reply);

private:
    // The validator dropped a key (a space, a 16th character): say why.
    void explainRefusedInput();

    Ui::userRenameDlg *ui = nullptr;
    QElapsedTimer m_lastRefusal;
    QString m_newName;
    TmMtgNickChangeHttp *m_renameRequest = nullptr;
    WaitingSpinnerWidget *m_spinner = nullptr;
};
