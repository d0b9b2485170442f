// Every request class's answer handling, fed through the same slot the
// network access manager drives, with a reply made up from the input: the
// first byte picks the class, the second the HTTP status, the rest is the body.

#include "fuzzsupport.h"

#include "http/activityapprovehttp.h"
#include "http/actmtgdetailhttp.h"
#include "http/logincomverifyhttp.h"
#include "http/loginhttp.h"
#include "http/loginverifyhttp.h"
#include "http/loginwxbindinghttp.h"
#include "http/loginwxurlhttp.h"
#include "http/servicetokenhttp.h"
#include "http/tmmtgcreatehttp.h"
#include "http/tmmtgdeletehttp.h"
#include "http/tmmtginvitehttp.h"
#include "http/tmmtgmaxpeoplehttp.h"
#include "http/tmmtgnickchangehttp.h"
#include "http/tmmtgquerydhttp.h"
#include "http/tmmtgqueryhttp.h"
#include "http/tmmtgsummaryhttp.h"
#include "http/tmphoneverifyhttp.h"
#include "http/tmsdkinfohttp.h"
#include "http/tmtokenhttp.h"
#include "http/veskversionhttp.h"

#include <QNetworkReply>
#include <QVector>

#include <cstring>

namespace {

// A finished reply holding the given status and body, as the network access
// manager hands it over.
class SyntheticReply final : public QNetworkReply
{
public:
    SyntheticReply(int status, const QByteArray &body) : m_body(body)
    {
        setAttribute(QNetworkRequest::HttpStatusCodeAttribute, status);
        if (status >= 400)
            setError(QNetworkReply::InternalServerError, QStringLiteral("Internal Server Error"));
        else if (status == 0)
            setError(QNetworkReply::ConnectionRefusedError, QStringLiteral("Connection refused"));
        open(QIODevice::ReadOnly);
        setFinished(true);
    }
    void abort() override {}
    bool isSequential() const override { return true; }
    qint64 bytesAvailable() const override { return m_body.size() - m_read + QIODevice::bytesAvailable(); }

protected:
    qint64 readData(char *data, qint64 maxSize) override
    {
        const qint64 n = qMin<qint64>(maxSize, m_body.size() - m_read);
        if (n <= 0)
            return -1;
        memcpy(data, m_body.constData() + m_read, size_t(n));
        m_read += n;
        return n;
    }

private:
    QByteArray m_body;
    qint64 m_read = 0;
};

QVector<HttpHelper *> &requests()
{
    // Made once for the whole run and never destroyed, so the objects stay
    // reachable after static destruction when the leak check runs.
    static auto *all = new QVector<HttpHelper *>{
        new ServiceTokenHttp,  new LoginComVerifyHttp, new LoginHttp,           new LoginVerifyHttp,
        new LoginWxUrlHttp,    new LoginWxBindingHttp, new TmTokenHttp,         new TmSDKInfoHttp,
        new TmMtgQueryHttp,    new TmMtgQueryDHttp,    new TmMtgCreateHttp,     new TmMtgDeleteHttp,
        new TmMtgInviteHttp,   new TmMtgMaxPeopleHttp, new TmMtgNickChangeHttp, new TmMtgSummaryHttp,
        new TmPhoneVerifyHttp, new ActMtgDetailHttp,   new ActivityApproveHttp, new VeskVersionHttp,
    };
    return *all;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    fuzzsupport::start(argc, argv);
    requests();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 2)
        return 0;
    HttpHelper *request = requests().at(data[0] % requests().size());
    // Mostly 200, where the body is read; now and then the other branches.
    static const int statuses[] = {200, 200, 200, 200, 200, 200, 500, 0, 204, 401};
    const int status = statuses[data[1] % (sizeof statuses / sizeof statuses[0])];
    SyntheticReply reply(status, fuzzsupport::bytes(data + 2, size - 2));
    request->serviceRequestFinished(&reply);
    return 0;
}
