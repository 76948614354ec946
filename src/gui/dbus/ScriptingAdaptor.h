// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "ScriptingQueue.h"

#include <QDBusAbstractAdaptor>
#include <QDBusMessage>
#include <QString>

#include <chrono>
#include <functional>
#include <memory>
#include <stop_token>

namespace quillory {
class Session;
}

namespace quillory::dbus {

class DBusServices;

// com.halvane.Quillory.Scripting: what a script can do with the running app, through its Session.
// Every call but Transform is answered when its work is done (a delayed reply): the work runs in call
// order on the app's serial queue, on the thread that owns the Session, so the script and the window
// never use the Session at the same time and that thread never waits for the bus. Failures come back
// as D-Bus errors carrying the message.
class ScriptingAdaptor : public QDBusAbstractAdaptor {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "com.halvane.Quillory.Scripting")

public:
    static constexpr std::chrono::milliseconds defaultValidationLimit{std::chrono::seconds(180)};

    // `parent` is the object exported at the app's path; the adaptor lives and dies with it.
    ScriptingAdaptor(Session& session, DBusServices* parent);
    ~ScriptingAdaptor() override;

    // How long ValidationResult waits for validation to settle before it answers with a timeout error.
    void setValidationLimit(std::chrono::milliseconds limit) { validationLimit_ = limit; }
    // The app's serial queue (its host's): jobs queued there run after the calls queued so far.
    ScriptingQueue& queue();

public Q_SLOTS:
    // A recipe file ("~" is the home folder) or the JSON text of a whole recipe; returns the text used.
    QString OpenRecipe(const QString& recipe);
    // Appends the rename action given as JSON; returns its id (a new one when the given id is taken).
    QString AddTransformer(const QString& json);
    void ClearTransformers();
    // Starts the full pass over every file and returns at once.
    void Transform();
    // Renames the files; whether the run went ahead. `force` renames the files without errors even
    // when others have some.
    bool Rename(bool force);
    // Replaces the list with the files and folders of one directory ("~" allowed).
    void OpenDirectory(const QString& path);
    // The files in list order as a JSON array, the same objects as quillory-cli --json lists.
    QString Files();
    // {"isPending", "errorCount", "totalCount", "renameCount"} once validation has settled.
    QString ValidationResult();

private:
    struct PendingCall;
    using Work = std::function<QDBusMessage(const QDBusMessage& call, std::stop_token)>;
    // Takes over the answer to the current call (null when not called over D-Bus); after `limit`, when
    // positive, the caller hears a timeout error unless answered before.
    std::shared_ptr<PendingCall> delayReply(std::chrono::milliseconds limit);
    static std::function<void()> abandonment(std::shared_ptr<PendingCall> pending);
    // Answers the current call with what `work` returns once the queue gets to it.
    void answerLater(Work work);

    DBusServices* host_; // Qt hands the call's context to the exported object, not to its adaptors
    Session& session_;
    std::chrono::milliseconds validationLimit_ = defaultValidationLimit;
};

} // namespace quillory::dbus
