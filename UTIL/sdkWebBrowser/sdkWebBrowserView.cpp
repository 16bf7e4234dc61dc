// libsdkWebBrowserView.so: the browser host's page view on Qt WebEngine,
// loaded at run time by sdkWebBrowser (see sdkWebBrowserView.h).
//
// A script of our own runs in an isolated world of every page, apart from the
// page's own scripts: after each load it reads the body's size attributes and
// binds the command elements, and it reports clicks on them through a web
// channel. Error pages are switched off, so no failed navigation shows one,
// and nothing is processed for a load that failed.
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QOpenGLContext>
#include <QPointer>
#include <QWebChannel>
#include <QWebEngineHistory>
#include <QWebEngineLoadingInfo>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineScript>
#include <QWebEngineScriptCollection>
#include <QWebEngineSettings>
#include <QWebEngineView>
#include <memory>

// Only the result codes: the host reports failures, with its own module and line.
#include "report.h"
#include "sdkWebBrowserView.h"

// Qt Gui's setter of the application-wide shared graphics context.
QT_BEGIN_NAMESPACE
Q_GUI_EXPORT void qt_gl_set_global_share_context(QOpenGLContext* context);
QT_END_NAMESPACE

namespace {

// The engine draws through the application's shared graphics context. An
// application that asks for one before it starts pays for a context at every
// start; this one is made only when the first page view is, and lives as long
// as the process, as one made at the start would. Where no graphics context
// can be made the engine draws in software.
void ensureShareContext() {
    if (QOpenGLContext::globalShareContext()) return;
    auto* context = new QOpenGLContext;
    context->setFormat(QSurfaceFormat::defaultFormat());
    context->create();
    qt_gl_set_global_share_context(context);
}

// The world our script runs in; the page's scripts cannot see it.
constexpr quint32 kHostWorld = QWebEngineScript::ApplicationWorld;

// Runs at the creation of every top-level document, in the host's world.
constexpr const char* kHostScript = R"JS(
(function () {
  'use strict';
  if (window.sdkWebBrowserHost) return;
  var bridge = null, pending = [], bound = {};
  function report(id, className) {
    if (bridge) bridge.clicked(id, className); else pending.push([id, className]);
  }
  new QWebChannel(qt.webChannelTransport, function (channel) {
    bridge = channel.objects.sdkWebBrowserBridge;
    for (var i = 0; i < pending.length; ++i) bridge.clicked(pending[i][0], pending[i][1]);
    pending = [];
  });
  function classOf(element) {
    var c = element.getAttribute ? element.getAttribute('class') : null;
    return c === null || c === undefined ? '' : String(c);
  }
  // The clicked element itself (the event's source), as the host reports it.
  function onClick(event) {
    var element = event.target;
    while (element && element.nodeType !== 1) element = element.parentNode;
    if (!element) return;
    report(element.id ? String(element.id) : '', classOf(element));
  }
  window.sdkWebBrowserHost = {
    process: function () {
      var result = {hasWidth: false, width: '', hasHeight: false, height: ''};
      var body = document.body;
      if (body && body.hasAttribute('app_width')) {
        result.hasWidth = true;
        result.width = String(body.getAttribute('app_width'));
      }
      if (body && body.hasAttribute('app_height')) {
        result.hasHeight = true;
        result.height = String(body.getAttribute('app_height'));
      }
      var all = document.getElementsByTagName('*');
      for (var i = 0; i < all.length; ++i) {
        var element = all[i];
        if (classOf(element).indexOf('app_command') < 0) continue;
        var m = /^app_command_([1-7])$/.exec(element.id ? String(element.id) : '');
        if (!m || bound[m[1]]) continue;
        element.addEventListener('click', onClick);
        bound[m[1]] = element;
      }
      return result;
    },
    unbindAll: function () {
      for (var n in bound) bound[n].removeEventListener('click', onClick);
      bound = {};
    }
  };
})();
)JS";

// A JavaScript string literal of any text.
QString jsString(const std::string& text) {
    const QByteArray array =
        QJsonDocument(QJsonArray{QString::fromStdString(text)}).toJson(QJsonDocument::Compact);
    return QString::fromUtf8(array.mid(1, array.size() - 2));
}

sdkWebBrowserErrorDomain domainOf(QWebEngineLoadingInfo::ErrorDomain domain) {
    switch (domain) {
        case QWebEngineLoadingInfo::NoErrorDomain:
            return sdkWebBrowserErrorDomain::None;
        case QWebEngineLoadingInfo::InternalErrorDomain:
            return sdkWebBrowserErrorDomain::Internal;
        case QWebEngineLoadingInfo::ConnectionErrorDomain:
            return sdkWebBrowserErrorDomain::Connection;
        case QWebEngineLoadingInfo::CertificateErrorDomain:
            return sdkWebBrowserErrorDomain::Certificate;
        case QWebEngineLoadingInfo::HttpErrorDomain:
            return sdkWebBrowserErrorDomain::Http;
        case QWebEngineLoadingInfo::FtpErrorDomain:
            return sdkWebBrowserErrorDomain::Ftp;
        case QWebEngineLoadingInfo::DnsErrorDomain:
            return sdkWebBrowserErrorDomain::Dns;
        case QWebEngineLoadingInfo::HttpStatusCodeDomain:
            return sdkWebBrowserErrorDomain::HttpStatus;
    }
    return sdkWebBrowserErrorDomain::Internal;
}

class View;

// What the page's script reaches through the web channel.
class Bridge : public QObject {
    Q_OBJECT
  public:
    explicit Bridge(View* view) : view_(view) {}
    Q_INVOKABLE void clicked(const QString& id, const QString& className);

  private:
    View* view_;
};

// A top-level navigation drops the bindings of the document it leaves.
class Page : public QWebEnginePage {
  public:
    explicit Page(QWebEngineProfile* profile) : QWebEnginePage(profile) {}

  protected:
    bool acceptNavigationRequest(const QUrl&, NavigationType, bool isMainFrame) override {
        if (isMainFrame)
            runJavaScript("window.sdkWebBrowserHost && window.sdkWebBrowserHost.unbindAll()", kHostWorld);
        return true;
    }
};

class View final : public QObject, public sdkWebBrowserView {
  public:
    explicit View(sdkWebBrowserViewEvents* events) : events_(events) {
        // Off the record: the pages leave nothing in the user's folders.
        profile_ = std::make_unique<QWebEngineProfile>();
        QWebEngineScript script;
        script.setName("sdkWebBrowserHost");
        script.setInjectionPoint(QWebEngineScript::DocumentCreation);
        script.setWorldId(kHostWorld);
        script.setRunsOnSubFrames(false);
        QFile channelScript(":/qtwebchannel/qwebchannel.js");
        QByteArray source;
        if (channelScript.open(QIODevice::ReadOnly)) source = channelScript.readAll();
        script.setSourceCode(QString::fromUtf8(source) + "\n" + kHostScript);
        channelScriptFound_ = !source.isEmpty();

        page_ = std::make_unique<Page>(profile_.get());
        page_->settings()->setAttribute(QWebEngineSettings::ErrorPageEnabled, false);
        page_->scripts().insert(script);
        bridge_ = std::make_unique<Bridge>(this);
        channel_ = std::make_unique<QWebChannel>();
        channel_->registerObject("sdkWebBrowserBridge", bridge_.get());
        page_->setWebChannel(channel_.get(), kHostWorld);
        QObject::connect(page_.get(), &QWebEnginePage::loadingChanged, this,
                         [this](const QWebEngineLoadingInfo& info) { loadingChanged(info); });
    }

    // The view goes before its page (unless its parent took it already), the
    // page before the channel and the profile (the members' order).
    ~View() override { delete widget_.data(); }

    int create(QWidget* parent, int x, int y, int width, int height) override {
        if (!parent || widget_ || !channelScriptFound_) return NOT_OKAY;
        widget_ = new QWebEngineView(parent);
        widget_->setPage(page_.get());
        widget_->setContextMenuPolicy(Qt::NoContextMenu);
        widget_->setGeometry(x, y, width, height);
        widget_->show();
        return OKAY;
    }

    int navigate(const std::string& address) override {
        const QUrl url(QString::fromStdString(address), QUrl::StrictMode);
        if (!url.isValid() || url.isRelative()) return NOT_OKAY;
        page_->load(url);
        return OKAY;
    }

    int runScript(const std::string& name) override {
        const QString call =
            QStringLiteral(
                "(function (n) { try { var f = window[n]; if (typeof f !== 'function') return false; "
                "f(); return true; } catch (e) { return false; } })(%1)")
                .arg(jsString(name));
        QPointer<View> self(this);
        page_->runJavaScript(call, QWebEngineScript::MainWorld, [self, name](const QVariant& result) {
            if (!self || result.toBool()) return;
            self->report([&](sdkWebBrowserViewEvents& e) { e.viewScriptFailed(name); });
        });
        return OKAY;
    }

    int setSize(int width, int height) override {
        if (!widget_) return NOT_OKAY;
        widget_->resize(widget_->width(), height);
        widget_->resize(width, height);
        return OKAY;
    }

    int pageText(std::function<void(const std::string&)> done) override {
        QPointer<View> self(this);
        page_->runJavaScript("document.body ? document.body.innerText : ''", kHostWorld,
                             [self, done](const QVariant& result) {
                                 if (self && !self->disposed_) done(result.toString().toStdString());
                             });
        return OKAY;
    }

    void dispose() override {
        disposed_ = true;
        events_ = nullptr;
        if (widget_) widget_->hide();
        if (reporting_ == 0) delete this;
        // Otherwise the report in progress ends the view when it returns.
    }

    // Calls the host unless detached; a dispose() from inside waits for the return.
    template <class F>
    void report(F&& call) {
        if (disposed_ || !events_) return;
        ++reporting_;
        call(*events_);
        --reporting_;
        if (disposed_ && reporting_ == 0) deleteLater();
    }

  private:
    void loadingChanged(const QWebEngineLoadingInfo& info) {
        if (info.isErrorPage()) return;
        if (info.status() == QWebEngineLoadingInfo::LoadFailedStatus) {
            const std::string address = info.url().toString().toStdString();
            const sdkWebBrowserErrorDomain domain = domainOf(info.errorDomain());
            const int code = info.errorCode();
            report([&](sdkWebBrowserViewEvents& e) { e.viewNavigationFailed(domain, code, address); });
            return;
        }
        if (info.status() != QWebEngineLoadingInfo::LoadSucceededStatus) return;
        // Pages are loaded without a history to go back to.
        page_->history()->clear();
        QPointer<View> self(this);
        page_->runJavaScript("window.sdkWebBrowserHost ? window.sdkWebBrowserHost.process() : null",
                             kHostWorld, [self](const QVariant& result) {
                                 if (!self) return;
                                 const QVariantMap size = result.toMap();
                                 if (size.isEmpty()) return;
                                 const bool hasWidth = size.value("hasWidth").toBool();
                                 const bool hasHeight = size.value("hasHeight").toBool();
                                 const std::string width = size.value("width").toString().toStdString();
                                 const std::string height = size.value("height").toString().toStdString();
                                 self->report([&](sdkWebBrowserViewEvents& e) {
                                     e.viewDocumentComplete(hasWidth, width, hasHeight, height);
                                 });
                             });
    }

    sdkWebBrowserViewEvents* events_;
    std::unique_ptr<QWebEngineProfile> profile_;
    std::unique_ptr<Bridge> bridge_;
    std::unique_ptr<QWebChannel> channel_;
    std::unique_ptr<Page> page_;
    QPointer<QWebEngineView> widget_;  // owned by the parent window too
    bool channelScriptFound_ = false;
    bool disposed_ = false;
    int reporting_ = 0;
};

void Bridge::clicked(const QString& id, const QString& className) {
    const std::string i = id.toStdString(), c = className.toStdString();
    view_->report([&](sdkWebBrowserViewEvents& e) { e.viewElementClicked(i, c); });
}

}  // namespace

extern "C" __attribute__((visibility("default"))) sdkWebBrowserView* sdkWebBrowserViewCreate(
    int version, sdkWebBrowserViewEvents* events) {
    if (version != kSdkWebBrowserViewVersion || !events) return nullptr;
    ensureShareContext();
    return new View(events);
}

#include "sdkWebBrowserView.moc"
