#include "query/query.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QNetworkAccessManager>
#include <QNetworkProxyFactory>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QPointer>
#include <QTimer>
#include <QUrl>
#include <algorithm>
#include <initializer_list>
#include <memory>

namespace quillora::query {
namespace {

// 等于多少
constexpr text::TextView kEqualsHowMuch = "\xb5\xc8\xd3\xda\xb6\xe0\xc9\xd9";

// How much of the body Qt may hold for us between two reads, so an oversized
// reply cannot pile up in memory ahead of the limit check.
constexpr qint64 kReadBufferSize = 256 * 1024;

bool IsUnreserved(unsigned char byte) {
    return (byte >= 'A' && byte <= 'Z') || (byte >= 'a' && byte <= 'z') ||
           (byte >= '0' && byte <= '9') || byte == '-' || byte == '.' || byte == '_' || byte == '~';
}

// The value goes on the wire as GBK bytes. Escaping every other byte keeps a
// typed "&", "#", "+" or "%" from changing the query's structure and keeps the
// double-byte names intact.
void AppendPercentEncoded(QByteArray& out, text::TextView value) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    for (const char ch : value) {
        const auto byte = static_cast<unsigned char>(ch);
        if (IsUnreserved(byte)) {
            out.append(ch);
        } else {
            out.append('%');
            out.append(kHex[byte >> 4]);
            out.append(kHex[byte & 0x0f]);
        }
    }
}

QUrl QueryUrl(const RateService& service, text::TextView amount, text::TextView source,
              text::TextView target) {
    QByteArray encoded(service.prefix.data(), static_cast<qsizetype>(service.prefix.size()));
    for (const text::TextView piece : {amount, source, kEqualsHowMuch, target}) {
        AppendPercentEncoded(encoded, piece);
    }
    // Strict mode keeps our escapes exactly as they are; a tolerant parse
    // would be free to re-encode or decode them.
    return QUrl::fromEncoded(encoded, QUrl::StrictMode);
}

// One manager for the process: it owns Qt's HTTP thread and connection pool.
// Nothing a query could leave behind in it (cookies, cache) is used; see the
// request attributes below.
QNetworkAccessManager* Manager() {
    static QPointer<QNetworkAccessManager> manager;
    if (!manager) {
        QNetworkProxyFactory::setUseSystemConfiguration(true);
        manager = new QNetworkAccessManager(QCoreApplication::instance());
    }
    return manager;
}

QNetworkRequest MakeRequest(const QUrl& url) {
    QNetworkRequest request(url);
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                         QNetworkRequest::NoLessSafeRedirectPolicy);
    request.setAttribute(QNetworkRequest::CookieLoadControlAttribute, QNetworkRequest::Manual);
    request.setAttribute(QNetworkRequest::CookieSaveControlAttribute, QNetworkRequest::Manual);
    request.setAttribute(QNetworkRequest::CacheLoadControlAttribute,
                         QNetworkRequest::AlwaysNetwork);
    request.setAttribute(QNetworkRequest::CacheSaveControlAttribute, false);
    return request;
}

// Whether an error code stands for an HTTP error status rather than for a
// transfer that broke, timed out or never reached the service.
bool IsStatusError(QNetworkReply::NetworkError error) {
    const bool contentError =
        error >= QNetworkReply::ContentAccessDenied && error <= QNetworkReply::UnknownContentError;
    const bool serverError =
        error >= QNetworkReply::InternalServerError && error <= QNetworkReply::UnknownServerError;
    return contentError || serverError || error == QNetworkReply::ProtocolInvalidOperationError;
}

// One GET from sending to the last byte. The reply is owned here and gone
// when the call returns.
class Exchange final {
public:
    Exchange(QNetworkReply* reply, const RateService& service)
        : limit_(service.bodyLimit), reply_(reply) {
        reply_->setReadBufferSize(kReadBufferSize);
        inactivity_.setSingleShot(true);
        inactivity_.setInterval(std::min(service.inactivityTimeout, kLongestWait));
        deadline_.setSingleShot(true);
        deadline_.setInterval(std::min(service.deadline, kLongestWait));
    }
    Exchange(const Exchange&) = delete;
    Exchange& operator=(const Exchange&) = delete;

    text::Text Run() {
        QNetworkReply* reply = reply_.get();
        const auto progress = [this] { inactivity_.start(); };
        QObject::connect(reply, &QNetworkReply::metaDataChanged, &loop_, progress);
        QObject::connect(reply, &QNetworkReply::redirected, &loop_, progress);
        QObject::connect(reply, &QNetworkReply::readyRead, &loop_, [this] {
            inactivity_.start();
            Drain();
        });
        QObject::connect(reply, &QNetworkReply::finished, &loop_, &QEventLoop::quit);
        QObject::connect(&inactivity_, &QTimer::timeout, &loop_, [this] { Fail(); });
        QObject::connect(&deadline_, &QTimer::timeout, &loop_, [this] { Fail(); });
        inactivity_.start();
        deadline_.start();

        // Painting and timers go on while we wait; clicks and keys wait until
        // the handler has returned, so no other handler runs in between.
        if (!reply->isFinished()) {
            loop_.exec(QEventLoop::ExcludeUserInputEvents);
        }
        if (!reply->isFinished()) {
            // The loop was told to end from outside: the program is quitting.
            Fail();
        }
        Drain();
        if (failed_ || !Answered()) {
            return {};
        }
        return text::FromByteSet(body_);
    }

private:
    // Whether the service's answer came in whole.
    bool Answered() const {
        const QNetworkReply::NetworkError error = reply_->error();
        if (error == QNetworkReply::NoError) {
            return true;
        }
        const QVariant status = reply_->attribute(QNetworkRequest::HttpStatusCodeAttribute);
        if (!status.isValid() || status.toInt() < 400 || !IsStatusError(error)) {
            return false;
        }
        // With an error status Qt reports the status even when the body broke
        // off, so the length is checked here where it can be.
        const QVariant length = reply_->header(QNetworkRequest::ContentLengthHeader);
        return !length.isValid() || reply_->hasRawHeader("Content-Encoding") ||
               length.toLongLong() == static_cast<qint64>(body_.size());
    }

    void Fail() {
        if (failed_) {
            return;
        }
        failed_ = true;
        body_.clear();
        inactivity_.stop();
        deadline_.stop();
        reply_->abort();
        loop_.quit();
    }

    void Drain() {
        if (failed_) {
            return;
        }
        const qint64 available = reply_->bytesAvailable();
        if (available <= 0) {
            return;
        }
        const auto held = static_cast<std::int64_t>(body_.size());
        if (available > limit_ - held) {
            Fail();
            return;
        }
        body_.resize(static_cast<std::size_t>(held + available));
        const qint64 got = reply_->read(reinterpret_cast<char*>(body_.data() + held), available);
        body_.resize(static_cast<std::size_t>(held + std::max<qint64>(got, 0)));
    }

    std::int64_t limit_;
    text::ByteSet body_;
    bool failed_ = false;
    QEventLoop loop_;
    QTimer inactivity_;
    QTimer deadline_;
    // Declared last so it goes first, before the objects its signals reach.
    std::unique_ptr<QNetworkReply> reply_;
};

} // namespace

text::Text FetchRatePage(text::TextView amount, text::TextView source, text::TextView target,
                         const RateService& service) {
    if (QCoreApplication::instance() == nullptr) {
        return {};
    }
    const QUrl url = QueryUrl(service, amount, source, target);
    if (!url.isValid()) {
        return {};
    }
    Exchange exchange(Manager()->get(MakeRequest(url)), service);
    return exchange.Run();
}

} // namespace quillora::query
