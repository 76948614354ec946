// SPDX-License-Identifier: GPL-3.0-or-later
#include "ScriptingAdaptor.h"

#include "DBusNames.h"
#include "DBusServices.h"
#include "app/Logger.h"
#include "automation/AppServices.h"
#include "automation/PathExpansion.h"
#include "automation/Session.h"
#include "automation/SessionJson.h"
#include "filelist/OpenFolderEventHandler.h"
#include "engine/TransformerEngine.h"
#include "model/TransformerTypes.h"
#include "rename/FileValidatorWorker.h"
#include "engine/FileAttributesWorker.h"

#include <QDBusConnection>
#include <QTimer>

#include <algorithm>
#include <exception>
#include <memory>
#include <set>

namespace quillory::dbus {
namespace {

QDBusMessage reply(const QDBusMessage& call, const QVariant& value = {}) {
    auto answer = call.createReply();
    if (value.isValid())
        answer << value;
    return answer;
}

QDBusMessage failure(const QDBusMessage& call, const char* name, const std::string& message) {
    return call.createErrorReply(QString::fromLatin1(name), QString::fromStdString(message));
}

QString text(const std::string& value) { return QString::fromStdString(value); }

// Decodes one rename action for appending: the error says what is wrong with the JSON.
Result<Transformer> decodeAction(const std::string& json, const std::vector<Transformer>& chain) {
    nlohmann::ordered_json parsed;
    try {
        parsed = nlohmann::ordered_json::parse(json);
    } catch (const nlohmann::json::exception& error) {
        return Error{error.what()};
    }
    auto decoded = Transformer::fromJson(parsed);
    if (!decoded)
        return decoded;
    // The engine would skip a kind it does not know without a word; the script should hear of it.
    if (!transformerTypeInfo(decoded->type))
        return Error{"unknown rename action type '" + decoded->type + "'"};
    // Adding always appends: an id already in the chain gets a new one, which is what the script hears.
    const bool taken = std::any_of(chain.begin(), chain.end(), [&](const Transformer& t) { return t.id == decoded->id; });
    if (taken)
        decoded->id = Transformer::makeId();
    return decoded;
}

bool isSettled(AppServices& services) {
    return !services.engine().isBusy() && !services.validatorWorker().isRunning() &&
           !services.attributesWorker().isRunning();
}

} // namespace

// One delayed call: answered once, by its work, its time limit or the queue going away. Touched on the
// queue's thread only.
struct ScriptingAdaptor::PendingCall {
    QDBusMessage call;
    QDBusConnection bus;
    bool answered = false;

    void answer(const QDBusMessage& message) {
        if (answered)
            return;
        answered = true;
        if (call.isReplyRequired())
            bus.send(message);
    }
};

ScriptingAdaptor::ScriptingAdaptor(Session& session, DBusServices* parent)
    : QDBusAbstractAdaptor(parent), host_(parent), session_(session) {}

ScriptingAdaptor::~ScriptingAdaptor() = default;

ScriptingQueue& ScriptingAdaptor::queue() { return host_->queue(); }

std::shared_ptr<ScriptingAdaptor::PendingCall> ScriptingAdaptor::delayReply(std::chrono::milliseconds limit) {
    if (!host_->calledFromDBus())
        return nullptr;
    host_->setDelayedReply(true);
    auto pending = std::make_shared<PendingCall>(PendingCall{host_->message(), host_->connection()});
    if (limit > std::chrono::milliseconds::zero()) {
        QTimer::singleShot(limit, this, [pending, limit] {
            pending->answer(pending->call.createErrorReply(
                QString::fromLatin1(errorTimeout), QStringLiteral("no answer within %1 s").arg(limit.count() / 1000.0)));
        });
    }
    return pending;
}

std::function<void()> ScriptingAdaptor::abandonment(std::shared_ptr<PendingCall> pending) {
    return [pending] { pending->answer(failure(pending->call, errorFailed, "Quillory is closing")); };
}

void ScriptingAdaptor::answerLater(Work work) {
    auto pending = delayReply(std::chrono::milliseconds::zero());
    if (!pending)
        return;
    queue().enqueue(ScriptingQueue::Job{
        [pending, work = std::move(work)](std::stop_token stopToken, const ScriptingQueue::Done& done) {
            QDBusMessage answer;
            try {
                answer = work(pending->call, stopToken);
            } catch (const std::exception& error) {
                answer = failure(pending->call, errorFailed, error.what());
            }
            pending->answer(answer);
            done();
        },
        abandonment(pending)});
}

QString ScriptingAdaptor::OpenRecipe(const QString& recipe) {
    const std::string parameter = recipe.toStdString();
    Logger::log("OpenRecipeScriptCommand Opening Recipe: ", parameter);
    const std::string used = parameter.starts_with('{') ? parameter : expandTilde(parameter);
    answerLater([this, used](const QDBusMessage& call, std::stop_token) {
        const Status status = session_.loadRecipe(used);
        if (!status.ok())
            return failure(call, used.starts_with('{') ? errorInvalidJson : errorFailed, status.error().message);
        return reply(call, text(used));
    });
    return {};
}

QString ScriptingAdaptor::AddTransformer(const QString& json) {
    const std::string parameter = json.toStdString();
    Logger::log("AddTransformerScriptCommand: '", parameter);
    answerLater([this, parameter](const QDBusMessage& call, std::stop_token) {
        auto action = decodeAction(parameter, session_.chain());
        if (!action)
            return failure(call, errorInvalidJson, action.error().message);
        const std::string id = action->id;
        session_.addAction(std::move(*action));
        return reply(call, text(id));
    });
    return {};
}

void ScriptingAdaptor::ClearTransformers() {
    answerLater([this](const QDBusMessage& call, std::stop_token) {
        session_.setChain({});
        return reply(call);
    });
}

void ScriptingAdaptor::Transform() {
    // The pass is queued and the call answered at once; reads queued later see its outcome.
    queue().enqueue([this](std::stop_token stopToken) { session_.preview(stopToken); });
}

bool ScriptingAdaptor::Rename(bool force) {
    answerLater([this, force](const QDBusMessage& call, std::stop_token stopToken) {
        const RenameReport report = session_.rename(RenameOptions{force}, stopToken);
        return reply(call, report.started);
    });
    return false;
}

void ScriptingAdaptor::OpenDirectory(const QString& path) {
    const std::string directory = expandTilde(path.toStdString());
    Logger::log("OpenDirectoryScriptCommand Opening Directory: ", directory);
    answerLater([this, directory](const QDBusMessage& call, std::stop_token stopToken) {
        // A script cannot answer the replace-or-append question; the directory replaces the list.
        const OpenReport report = session_.open({directory}, OpenMode::replace, stopToken);
        if (!report.refused.empty()) {
            const std::set<RejectedDirectory> refused(report.refused.begin(), report.refused.end());
            return failure(call, errorFailed, OpenFolderEventHandler::rejectionReport(refused));
        }
        if (report.cancelled)
            return failure(call, errorFailed, "opening " + directory + " was cancelled");
        return reply(call);
    });
}

QString ScriptingAdaptor::Files() {
    answerLater([this](const QDBusMessage& call, std::stop_token) {
        auto list = nlohmann::ordered_json::array();
        for (const auto& row : session_.rows())
            list.push_back(sessionRowJson(row));
        return reply(call, text(jsonText(list, -1)));
    });
    return {};
}

QString ScriptingAdaptor::ValidationResult() {
    // The time limit runs from the call: time spent behind other calls counts.
    auto pending = delayReply(validationLimit_);
    if (!pending)
        return {};
    queue().enqueue(ScriptingQueue::Job{
        [this, pending](std::stop_token stopToken, const ScriptingQueue::Done& done) {
            // A pass or validation may still run in the background (the window's live preview). Its
            // outcome reaches the session through this thread's event loop, so the answer waits on a
            // timer rather than blocking here; the queue stays held, keeping later calls in order.
            auto* poll = new QTimer(this);
            poll->setInterval(10);
            const auto check = [this, pending, done, poll, stopToken] {
                if (!pending->answered && !stopToken.stop_requested() && !isSettled(session_.services()))
                    return;
                if (!pending->answered && !stopToken.stop_requested()) {
                    const FileValidationResult result = session_.validationResult();
                    pending->answer(reply(pending->call, text(jsonText(validationResultJson(result), -1))));
                }
                poll->stop();
                poll->deleteLater();
                done();
            };
            connect(poll, &QTimer::timeout, this, check);
            poll->start();
            check();
        },
        abandonment(pending)});
    return {};
}

} // namespace quillory::dbus
