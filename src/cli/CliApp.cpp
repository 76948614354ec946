// SPDX-License-Identifier: GPL-3.0-or-later
#include "CliApp.h"

#include "ChainProblemText.h"
#include "CliUserInteraction.h"
#include "ExitStatus.h"
#include "HistoryCommands.h"
#include "OutputWatch.h"
#include "PathInput.h"
#include "PlanCommand.h"
#include "PreviewCommand.h"
#include "ProgressLine.h"
#include "RecipeLibrary.h"
#include "RenameCommand.h"
#include "ShortActions.h"
#include "Vocabulary.h"
#include "Version.h"

#include "actions/ChainCheck.h"
#include "app/JsonInput.h"
#include "app/Logger.h"
#include "app/Preferences.h"
#include "app/RegularFile.h"
#include "automation/PathExpansion.h"
#include "engine/RecipeStore.h"
#include "model/Recipe.h"
#include "automation/Session.h"
#include "filelist/FileSortOrder.h"
#include "model/TransformerTypes.h"
#include "rename/JournalStore.h"
#include "model/TokenDetailsList.h"
#include "model/TokenTemplate.h"
#include "model/TransformerProperties.h"
#include "text/DisplayWidth.h"
#include "text/Utf.h"
#include "tokens/gps/GPSAddressResolver.h"
#include "tokens/gps/OfflineGeocoder.h"

#include <CLI/CLI.hpp>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <iostream>
#include <sys/stat.h>
#include <unistd.h>

namespace quillory::cli {
namespace {

constexpr const char* examples = R"(
Examples:
  quillory-cli -r tidy.recipe ~/Pictures/Trip           preview the new names
  quillory-cli -r tidy.recipe ~/Pictures/Trip --rename  carry them out
  quillory-cli -a '{"type":"simple","transformScope":"filename","properties":{"simpleFindText":"_","simpleReplaceText":" "}}' .
  quillory-cli --json -d ~/Music -r '{"recipe_format_version":"8.0","transformers":[]}'

Exit status: 0 done (or a preview without errors), 1 files with errors (preview, or a rename refused
without --force) or paths that could not be opened, 2 bad usage or input, 3 some files could not be
renamed, 4 the output could not be written (files renamed stay renamed; see --history), 130 stopped by
Ctrl-C.
)";

struct Options {
    std::vector<std::string> paths;
    std::vector<std::string> directories;
    std::string recipe;
    std::vector<std::string> actions;
    std::string sort;
    std::vector<std::string> allow;
    std::vector<std::string> settings;
    std::string saveRecipe;
    bool changed = false;
    std::string plan;
    bool json = false;
    bool rename = false;
    bool dryRun = false;
    bool force = false;
    std::string onError = "abort";
    bool verbose = false;
    bool history = false;
    std::optional<std::string> undo;    // present (maybe empty) with --undo
    std::optional<std::string> recover; // present with --recover: "rollback" or "finish"
    bool listActions = false;
    std::string describe;
    std::optional<std::string> listTokens;
    bool manSections = false;
    bool fromStdin = false;
    bool nulSeparated = false;
    bool noRecursive = false;
    int depth = -1; // -1: every level
    bool includeHidden = false;
    bool listRecipes = false;
    std::string complete; // the hidden --complete WHAT of the shell completions
};

// Failures that end the run with exit status 2 and a message on standard error.
struct UsageError {
    std::string message;
};

// Ctrl-C while the files were opened.
struct Interrupted {};

// Bash's $'...' form, for a path with control characters or bytes that are not UTF-8: it can be
// copied from the terminal and gives the same bytes.
std::string escapedShellWord(const std::string& text) {
    const bool utf8 = text::isValidUtf8(text);
    std::string quoted = "$'";
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '\\' || c == '\'')
            quoted += std::string("\\") + c;
        else if (byte < 0x20 || byte == 0x7f || (byte >= 0x80 && !utf8)) {
            char escape[5];
            std::snprintf(escape, sizeof escape, "\\x%02x", byte);
            quoted += escape;
        } else
            quoted += c;
    }
    return quoted + "'";
}

// A path as it is typed in a shell: quoted when it holds anything the shell would read.
std::string shellWord(const std::string& text) {
    if (text::visibleEscapes(text) != text)
        return escapedShellWord(text);
    const bool plain = !text.empty() && std::all_of(text.begin(), text.end(), [](char c) {
        return std::isalnum(static_cast<unsigned char>(c)) || std::string_view("/._-+:@%,=").find(c) != std::string_view::npos;
    });
    if (plain)
        return text;
    std::string quoted = "'";
    for (char c : text)
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

// Folders outside the allowed ones are told once, with the options that would allow them; a file given
// on its own is refused through its folder, so a thousand files of one folder make one line.
void reportRefused(const std::vector<RejectedDirectory>& refused, std::ostream& err) {
    std::vector<std::string> restricted;
    for (const auto& folder : refused) {
        if (folder.reason != RejectionReason::restrictedPath)
            continue;
        std::string path = folder.path;
        while (path.size() > 1 && path.back() == '/')
            path.pop_back();
        restricted.push_back(path);
    }
    std::sort(restricted.begin(), restricted.end());
    // A folder below another refused one is allowed along with it.
    std::vector<std::string> tops;
    for (const auto& path : restricted)
        if (tops.empty() || !(path == tops.back() || path.starts_with(tops.back() == "/" ? "/" : tops.back() + "/")))
            tops.push_back(path);
    // Paths are shown escaped, as in the table: a carriage return from a list made on Windows must not
    // pass for the end of the path.
    for (const auto& folder : refused) {
        if (folder.reason == RejectionReason::restrictedPath)
            continue;
        struct stat status;
        const bool missing = folder.reason == RejectionReason::error && ::lstat(folder.path.c_str(), &status) != 0 &&
                             errno == ENOENT;
        err << "quillory-cli: cannot open " << text::visibleEscapes(folder.path) << ": "
            << (missing ? std::string_view("No such file or folder") : rawValue(folder.reason)) << "\n";
    }
    if (tops.empty())
        return;
    std::string options;
    for (const auto& path : tops)
        options += " --allow " + shellWord(path);
    err << "quillory-cli: renaming is not allowed in "
        << (tops.size() == 1 ? text::visibleEscapes(tops.front()) : std::to_string(tops.size()) + " folders")
        << " (only in the home folder, mounted volumes and the allowed folders); to rename there, add" << options
        << "\n";
}

std::filesystem::path logFilePath() {
    if (const char* state = std::getenv("XDG_STATE_HOME"); state && *state == '/')
        return std::filesystem::path(state) / "quillory" / "quillory-cli.log";
    const char* home = std::getenv("HOME");
    return std::filesystem::path(home ? home : "/tmp") / ".local" / "state" / "quillory" / "quillory-cli.log";
}

void applySetting(Preferences& preferences, const std::string& setting) {
    const auto equals = setting.find('=');
    if (equals == std::string::npos)
        throw UsageError{"--setting expects KEY=VALUE, got '" + setting + "'"};
    const PreferenceKey key(setting.substr(0, equals));
    const std::string value = setting.substr(equals + 1);
    const std::vector<PreferenceKey> booleans = {
        PreferenceKey::versionCheckOnStartup, PreferenceKey::openMostRecentRecipeOnStartup,
        PreferenceKey::gpsAddressLookup,      PreferenceKey::renameAliases,
        PreferenceKey::autoResolveDuplicates, PreferenceKey::renameEmptyFolders,
        PreferenceKey::autoIgnoreFilePermissionErrors};
    if (std::find(booleans.begin(), booleans.end(), key) != booleans.end()) {
        if (value == "true" || value == "1")
            preferences.setTransient(key, true);
        else if (value == "false" || value == "0")
            preferences.setTransient(key, false);
        else
            throw UsageError{"--setting " + key.shortName() + " expects true, false, 1 or 0, got '" + value + "'"};
        return;
    }
    if (key == PreferenceKey::gpsGeocoder) {
        preferences.setTransient(key, value);
        return;
    }
    throw UsageError{"--setting: unknown setting '" + setting.substr(0, equals) + "'"};
}

// A recipe reads any string but "1" and "true" as off for a switch; typed on the command line, the string
// has to say which, or it is an error.
void takeSwitchStrings(nlohmann::ordered_json& json) {
    const auto properties = json.find("properties");
    if (properties == json.end() || !properties->is_object())
        return;
    for (const auto& field : TransformerProperties::fields()) {
        if (field.kind != TransformerProperties::ValueKind::boolean)
            continue;
        const auto value = properties->find(std::string(field.key));
        if (value == properties->end() || !value->is_string())
            continue;
        const auto text = value->get<std::string>();
        if (text != "true" && text != "false" && text != "1" && text != "0")
            throw UsageError{"--action: \"" + std::string(field.key) +
                             "\" must be true or false (or \"1\" or \"0\"), not " + value->dump()};
        *value = text == "true" || text == "1";
    }
}

Transformer decodeAction(const std::string& text) {
    auto parsed = JsonInput::parse<nlohmann::ordered_json>(text);
    if (!parsed && JsonInput::depth(text) > JsonInput::maxDepth)
        throw UsageError{"--action cannot be read: " + parsed.error().message};
    if (!parsed || !parsed->is_object())
        throw UsageError{"--action is not a JSON object: " + text};
    takeSwitchStrings(*parsed);
    const nlohmann::ordered_json& json = *parsed;
    auto decoded = Transformer::fromJson(json);
    if (!decoded.ok())
        throw UsageError{"--action cannot be read: " + decoded.error().message};
    if (!transformerTypeInfo(decoded->type))
        throw UsageError{"--action has an unknown type '" + decoded->type + "'"};
    if (!json.contains("id"))
        decoded->id = Transformer::makeId();
    // An action given on the command line is meant exactly as written: anything it would silently
    // ignore is an error.
    const auto problems = ChainCheck().check(*decoded, json);
    if (!problems.empty()) {
        std::string message = "--action (" + decoded->type + ") has " + std::to_string(problems.size()) +
                              (problems.size() == 1 ? " problem:" : " problems:");
        for (const auto& problem : problems)
            message += "\n  " + describeChainProblem(problem);
        throw UsageError{message};
    }
    return std::move(decoded).value();
}

// One warning per problem of a loaded recipe; the recipe is used as it is.
void warnAboutRecipe(const std::string& recipe, std::ostream& err) {
    // The store keeps only what it decoded; the keys nobody reads are in the text.
    const auto text = recipe.front() == '{' ? Result<std::string>(recipe)
                                            : RegularFile::read(RecipeStore::pathFromUrl(expandTilde(recipe)));
    if (!text)
        return;
    const auto json = JsonInput::parse<nlohmann::ordered_json>(*text);
    if (!json)
        return;
    for (const auto& problem : ChainCheck().checkRecipe(*json))
        err << "quillory-cli: warning: recipe action " << problem.action + 1 << " (" << problem.actionType
            << "): " << describeChainProblem(problem) << "\n";
}

// Only a recipe is ever replaced, and only when the user says so: --force, or yes at the terminal.
void checkRecipeTarget(const std::string& path, bool force, bool interactive, std::istream& in, std::ostream& err) {
    std::error_code ec;
    const auto status = std::filesystem::status(path, ec);
    if (ec || !std::filesystem::exists(status))
        return;
    const std::string quotedPath = "'" + path + "'";
    if (!std::filesystem::is_regular_file(status))
        throw UsageError{"--save-recipe: " + quotedPath + " exists and is not a recipe file; it was not replaced"};
    const auto text = RegularFile::read(path);
    if (!text || !Recipe::fromText(*text))
        throw UsageError{"--save-recipe: " + quotedPath + " exists and is not a recipe; it was not replaced"};
    if (force)
        return;
    if (interactive) {
        err << "Replace the recipe " << quotedPath << "? [y/N] " << std::flush;
        std::string answer;
        if (std::getline(in, answer) && (answer == "y" || answer == "Y" || answer == "yes"))
            return;
    }
    throw UsageError{"--save-recipe: the recipe " + quotedPath + " already exists; use --force to replace it"};
}

// Everything the modes share: this run's settings, the list, the chain, the order and the saved recipe.
// Returns whether some given paths could not be opened.
bool prepare(Session& session, const Options& options, std::istream& in, std::ostream& err, std::stop_token stop,
             bool showProgress) {
    auto& preferences = session.services().preferences();
    for (const auto& setting : options.settings)
        applySetting(preferences, setting);
    allowForThisRun(preferences, options.allow);
    // The validator and the geocoder were set up from the stored settings; give them this run's.
    session.reloadSettings();

    bool openRefused = false;
    // Directories first, then the recipe, as the desktop app's command line does.
    std::vector<std::string> paths = options.directories;
    paths.insert(paths.end(), options.paths.begin(), options.paths.end());
    if (!paths.empty()) {
        for (const auto& path : paths)
            Logger::log("CommandLine Opening Directory: ", path);
        FolderReading reading;
        reading.includeHidden = options.includeHidden;
        if (options.noRecursive)
            reading.depth = 0;
        else if (options.depth >= 0)
            reading.depth = static_cast<std::size_t>(options.depth);
        OpenReport opened;
        {
            ProgressLine line(err, showProgress);
            opened = session.open(paths, OpenMode::replace, stop, line.callback(), reading);
        }
        if (opened.cancelled && stop.stop_requested())
            throw Interrupted{};
        reportRefused(opened.refused, err);
        openRefused = !opened.refused.empty();
    }

    if (!options.recipe.empty()) {
        Logger::log("CommandLine Opening Recipe: ", options.recipe);
        const auto recipe = recipeLibrary::resolve(options.recipe);
        if (!recipe)
            throw UsageError{"-r: there is no recipe '" + options.recipe + "' here nor in " +
                             recipeLibrary::folder().string() + " (see --list-recipes)"};
        if (!session.loadRecipe(*recipe).ok())
            throw UsageError{""}; // the store has reported it as "Unable to load Recipe"
        warnAboutRecipe(*recipe, err);
    }
    for (const auto& action : options.actions)
        session.addAction(decodeAction(action));

    if (!options.sort.empty()) {
        const auto order = fileSortOrderFromRaw(options.sort);
        if (!order) {
            std::string known;
            for (std::size_t i = 0; i < fileSortOrderCount; ++i)
                known += std::string(i ? ", " : "") + std::string(rawValue(static_cast<FileSortOrder>(i)));
            throw UsageError{"--sort: unknown order '" + options.sort + "' (one of: " + known + ")"};
        }
        session.setSortOrder(*order);
    }
    if (!options.saveRecipe.empty()) {
        std::string path;
        if (const auto named = recipeLibrary::pathOf(options.saveRecipe)) {
            std::error_code ec;
            std::filesystem::create_directories(named->parent_path(), ec);
            if (ec)
                throw UsageError{"--save-recipe: cannot make the folder " + named->parent_path().string() + ": " +
                                 ec.message()};
            path = named->string();
        } else if (recipeLibrary::isName(options.saveRecipe)) {
            throw UsageError{"--save-recipe: '" + options.saveRecipe + "' cannot name a recipe"};
        } else {
            path = RecipeStore::pathFromUrl(expandTilde(options.saveRecipe));
        }
        checkRecipeTarget(path, options.force, isatty(STDIN_FILENO) && isatty(STDERR_FILENO), in, err);
        if (const Status status = session.saveRecipe(path); !status.ok())
            throw UsageError{"cannot save the recipe: " + status.error().message};
        if (recipeLibrary::isName(options.saveRecipe))
            err << "Saved the recipe as " << path << "\n";
    }
    return openRefused;
}

// The words the shell completions offer, one a line, taken from the same tables as the help.
int printCompletions(std::ostream& out, std::ostream& err, const CLI::App& app, const std::string& what) {
    if (what == "options") {
        for (const auto* option : app.get_options([](const CLI::Option* o) { return !o->get_group().empty(); })) {
            for (const auto& name : option->get_lnames())
                out << "--" << name << "\n";
            for (const auto& name : option->get_snames())
                out << "-" << name << "\n";
        }
        out << "--help\n--version\n";
    } else if (what == "kinds") {
        for (const auto& type : transformerTypes())
            out << type.typeId << "\n";
    } else if (what == "scopes") {
        for (const auto& scope : scopeNames())
            out << scope.name << "\n";
    } else if (what == "tokens") {
        for (const auto& name : TokenTemplate::names(TokenDetailsList::loadEmbedded()))
            out << "{" << name.alias << "}\n";
    } else if (what == "recipes") {
        for (const auto& name : recipeLibrary::names())
            out << name << "\n";
    } else if (what == "sorts") {
        for (std::size_t i = 0; i < fileSortOrderCount; ++i)
            out << rawValue(static_cast<FileSortOrder>(i)) << "\n";
    } else if (what == "settings") {
        for (const char* key : {"gpsAddressLookup", "gpsGeocoder", "renameAliases", "autoResolveDuplicates",
                                "renameEmptyFolders", "autoIgnoreFilePermissionErrors"})
            out << key << "=\n";
    } else {
        // The values of the options that take one word of a fixed set, from their own usage text.
        const std::string option = "--" + what;
        for (const auto& shortOption : shortOptions()) {
            if (shortOption.name != option || shortOption.arguments.find('|') == std::string_view::npos)
                continue;
            std::string_view values = shortOption.arguments;
            for (std::size_t bar; (bar = values.find('|')) != std::string_view::npos; values.remove_prefix(bar + 1))
                if (values.substr(0, bar) != "N")
                    out << values.substr(0, bar) << "\n";
            if (values != "N")
                out << values << "\n";
            return 0;
        }
        if (what == "on-error") {
            out << "continue\nabort\n";
            return 0;
        }
        if (what == "recover") {
            out << "rollback\nfinish\n";
            return 0;
        }
        err << "quillory-cli: --complete takes options, kinds, scopes, tokens, recipes, sorts, settings or an "
               "option name\n";
        return 2;
    }
    return 0;
}

// Options given together of which one would be dropped without a word: a rename or a save that a
// script would take as done.
std::optional<std::string> contradiction(const Options& options) {
    const std::vector<std::pair<bool, std::string>> listings = {
        {!options.plan.empty(), "--plan"},        {!options.describe.empty(), "--describe"},
        {options.listTokens.has_value(), "--list-tokens"}, {options.history, "--history"},
        {options.listActions, "--list-actions"}, {options.listRecipes, "--list-recipes"}};
    for (const auto& [given, name] : listings) {
        if (!given)
            continue;
        if (options.rename)
            return "--rename and " + name + " contradict each other; give one";
        // --plan reads the chain and so saves it; the others end before that.
        if (!options.saveRecipe.empty() && name != "--plan")
            return "--save-recipe and " + name + " contradict each other; give one";
    }
    if (options.json && !options.plan.empty())
        return std::string("--json and --plan contradict each other (the plan is printed as text); give one");
    return std::nullopt;
}

bool colorOutput(const std::ostream& out) {
    const char* noColor = std::getenv("NO_COLOR");
    return isatty(STDOUT_FILENO) && !(noColor && *noColor) && &out == &std::cout;
}

int execute(const Options& options, std::istream& in, std::ostream& out, std::ostream& err, std::stop_token stop) {
    CliUserInteraction interaction(in, err, isatty(STDIN_FILENO) && isatty(STDERR_FILENO),
                                   options.onError == "continue" ? CliUserInteraction::OnError::continueRenaming
                                                                 : CliUserInteraction::OnError::abort);
    Session::Options sessionOptions{{}, &interaction, false, false};
    sessionOptions.journalFolder = JournalStore::defaultFolder();
    Session session(std::move(sessionOptions));
    // A run from the command line cannot wait minutes for a place-name service that does not answer.
    session.services().gpsResolver().setFailFast(true);
    const bool showProgress = isatty(STDERR_FILENO) && !options.json;
    bool openRefused = false;
    try {
        openRefused = prepare(session, options, in, err, stop, showProgress);
    } catch (const Interrupted&) {
        err << "Interrupted: nothing was renamed.\n";
        return exitInterrupted;
    }
    if (!options.plan.empty())
        return PlanCommand(session, out, err).run(options.plan);
    if (!options.rename) {
        PreviewCommand::Options preview{options.json, options.changed, colorOutput(out), openRefused};
        preview.showProgress = showProgress;
        return PreviewCommand(session, out, err).run(preview, stop);
    }
    return RenameCommand(session, out, err)
        .run({options.json, options.changed, colorOutput(out), options.force, showProgress, openRefused}, stop);
}

int runCommand(const std::vector<std::string>& arguments, std::istream& in, std::ostream& out, std::ostream& err,
               std::stop_token stop) {
    Options options;
    CLI::App app{"Rename many files at once with a chain of rename actions.\n"
                 "Shows the new names first; renames only with --rename, and never overwrites a file.",
                 "quillory-cli"};
    app.footer(examples);
    app.set_version_flag("--version", std::string("quillory-cli ") + kVersion + "\n" + OfflineGeocoder::creditLine());
    app.add_option("paths", options.paths, "Files and folders to rename (folders are read recursively)");
    app.add_flag("--no-recursive", options.noRecursive, "Read only the given folders' own files, not their subfolders");
    app.add_option("--depth", options.depth, "Read at most N levels of subfolders below each given folder")
        ->type_name("N")
        ->check(CLI::NonNegativeNumber);
    app.add_flag("--include-hidden", options.includeHidden, "Also list hidden files and folders (names starting with .)");
    app.add_option("-d,--directory", options.directories, "Folders to open (one or more)")->expected(1, -1);
    app.add_option("-r,--recipe", options.recipe,
                   "A recipe file, a recipe saved by name (see --list-recipes), or the JSON text of a recipe");
    app.add_option("-a,--action", options.actions, "Append a rename action given as JSON (repeatable)")->allow_extra_args(false);
    app.add_option("--sort", options.sort, "Sort the list (for example byNameAscending)");
    app.add_option("--allow", options.allow, "Also allow renaming inside this folder for this run (repeatable)")
        ->allow_extra_args(false);
    app.add_option("--setting", options.settings, "Override a setting for this run: KEY=VALUE (repeatable)")
        ->allow_extra_args(false);
    app.add_option("--save-recipe", options.saveRecipe,
                   "Save the chain of rename actions as a recipe file; a NAME without a slash is kept with the "
                   "saved recipes")
        ->type_name("FILE|NAME");
    app.add_flag("--list-recipes", options.listRecipes, "List the recipes saved by name");
    app.add_flag("--changed", options.changed, "Show only the files whose names change");
    app.add_option("--plan", options.plan, "Print the renaming plan of one listed file");
    app.add_flag("--json", options.json, "Print one JSON document instead of the table");
    app.add_flag("--rename", options.rename, "Carry the renames out on disk");
    app.add_flag("--force", options.force,
                 "Rename although some files have errors (those are skipped); let --save-recipe replace a recipe");
    app.add_option("--on-error", options.onError, "Without a terminal: what to do when a file cannot be renamed")
        ->check(CLI::IsMember({"continue", "abort"}));
    app.add_flag("-v,--verbose", options.verbose, "Write the log to standard error");
    std::string undoId, recoverHow;
    app.add_flag("--history", options.history, "List the recorded rename runs");
    auto* undo = app.add_option("--undo", undoId, "Undo the last rename run, or the run with this id")
                     ->expected(0, 1)
                     ->allow_extra_args(false);
    auto* recover = app.add_option("--recover", recoverHow,
                                   "Settle an interrupted run: roll it back (default) or finish it")
                        ->expected(0, 1)
                        ->allow_extra_args(false)
                        ->check(CLI::IsMember({"rollback", "finish"}));
    app.add_flag("-n,--dry-run", options.dryRun, "Only show the new names (the default)");
    app.add_flag("--from-stdin", options.fromStdin, "Also rename the paths read from standard input, one a line");
    app.add_flag("-0,--null", options.nulSeparated, "Paths on standard input are separated by NUL (find -print0)");
    app.add_flag("--list-actions", options.listActions, "List the action kinds with their settings")
        ->group("Vocabulary");
    app.add_option("--describe", options.describe, "Describe one action kind")->type_name("KIND")->group("Vocabulary");
    app.add_option("--list-tokens", options.listTokens, "List the tokens; with FILE, their values for it")
        ->type_name("[FILE]")
        ->expected(0, 1)
        ->group("Vocabulary");
    app.add_flag("--man-sections", options.manSections)->group(""); // for scripts/update-man-page.sh
    app.add_option("--complete", options.complete)->group(""); // for the shell completions

    // Short action options: documented here, taken out of the arguments before parsing so that their
    // order among themselves and with -a is kept.
    std::string unusedValue;
    for (const auto& option : shortOptions()) {
        auto* declared = option.arguments.empty()
                             ? app.add_flag(std::string(option.name))->description(std::string(option.help))
                             : app.add_option(std::string(option.name), unusedValue, std::string(option.help))
                                   ->type_name(std::string(option.arguments));
        declared->group(option.kind.empty() ? "Changing the action before" : "Rename actions (in order)");
    }
    app.add_option("--scope", unusedValue, "Where the next action works: name, path, ext or full")
        ->group("Rename actions (in order)");

    static const TokenDetailsList catalogue = TokenDetailsList::loadEmbedded();
    Result<ExtractedActions> extracted = Error{""};
    try {
        extracted = extractActions(arguments, catalogue);
    } catch (const std::exception& e) {
        extracted = Error{e.what()};
    }
    if (!extracted) {
        err << "quillory-cli: " << extracted.error().message << "\n";
        return 2;
    }
    try {
        std::vector<std::string> reversed(extracted->remaining.rbegin(), extracted->remaining.rend());
        app.parse(reversed);
    } catch (const CLI::CallForHelp&) {
        out << app.help();
        return 0;
    } catch (const CLI::CallForVersion&) {
        out << app.version() << "\n";
        return 0;
    } catch (const CLI::ParseError& e) {
        err << "quillory-cli: " << e.what() << "\n";
        return 2;
    }
    if (undo->count() > 0)
        options.undo = undoId;
    if (recover->count() > 0)
        options.recover = recoverHow;
    if (const auto message = contradiction(options)) {
        err << "quillory-cli: " << *message << "\n";
        return 2;
    }
    if (options.history || options.undo || options.recover) {
        Logger::setSink(options.verbose ? LogSink::standardError : LogSink::file, logFilePath());
        HistoryRequest request;
        request.mode = options.history ? HistoryRequest::Mode::history
                       : options.undo  ? HistoryRequest::Mode::undo
                                       : HistoryRequest::Mode::recover;
        request.runId = options.undo.value_or("");
        request.finish = options.recover.value_or("") == "finish";
        request.json = options.json;
        request.allow = options.allow;
        if (options.history)
            warnAboutInterruptedRuns(err);
        return runHistoryCommand(request, out, err);
    }
    options.actions = std::move(extracted->actions);
    if (!options.complete.empty())
        return printCompletions(out, err, app, options.complete);
    if (options.listRecipes) {
        for (const auto& name : recipeLibrary::names())
            out << name << "\n";
        return 0;
    }
    if (options.noRecursive && options.depth > 0) {
        err << "quillory-cli: --no-recursive and --depth " << options.depth << " contradict each other; give one\n";
        return 2;
    }
    if (options.manSections) {
        out << manPageSections(catalogue);
        return 0;
    }
    if (options.listActions) {
        printActionList(out);
        return 0;
    }
    if (!options.describe.empty())
        return printActionDescription(out, err, options.describe) ? 0 : 2;
    if (options.listTokens) {
        if (options.listTokens->empty()) {
            printTokenList(out, catalogue);
            return 0;
        }
        return printTokenValues(out, err, catalogue, *options.listTokens);
    }
    if (options.dryRun && options.rename) {
        err << "quillory-cli: --dry-run and --rename contradict each other; give one\n";
        return 2;
    }
    if (options.fromStdin || options.nulSeparated) {
        const auto given = readPaths(in, options.nulSeparated);
        if (given.empty()) {
            err << "quillory-cli: no paths on standard input\n";
            return 2;
        }
        options.paths.insert(options.paths.end(), given.begin(), given.end());
    }
    if (options.paths.empty() && options.directories.empty() && options.recipe.empty() && options.actions.empty()) {
        // A usage error: the help goes with the other messages, to standard error.
        err << app.help();
        return 2;
    }

    if (options.verbose)
        Logger::setSink(LogSink::standardError);
    else
        Logger::setSink(LogSink::file, logFilePath());
    warnAboutInterruptedRuns(err);
    try {
        return execute(options, in, out, err, stop);
    } catch (const UsageError& e) {
        if (!e.message.empty())
            err << "quillory-cli: " << e.message << "\n";
        return 2;
    } catch (const std::exception& e) {
        err << "quillory-cli: " << e.what() << "\n";
        return 2;
    }
}

// A report that never arrived must not pass for an empty one: a script would take the run for done and
// its output for complete. A failed run keeps its own status when nothing it wrote was the point.
int checkOutput(int status, std::ostream& out, const OutputWatch& watch, std::ostream& err) {
    out.flush();
    if (out)
        return status;
    const int reason = watch.error();
    err << "quillory-cli: cannot write the output" << (reason != 0 ? std::string(": ") + std::strerror(reason) : "")
        << "\n";
    return status == exitUsage || status == exitInterrupted ? status : exitOutputLost;
}

} // namespace

int runCli(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err) {
    return runCli(arguments, std::cin, out, err);
}

int runCli(const std::vector<std::string>& arguments, std::istream& in, std::ostream& out, std::ostream& err) {
    return runCli(arguments, in, out, err, {});
}

int runCli(const std::vector<std::string>& arguments, std::istream& in, std::ostream& out, std::ostream& err,
           std::stop_token stop) {
    const OutputWatch watch(out);
    const int status = runCommand(arguments, in, out, err, stop);
    return checkOutput(status, out, watch, err);
}

} // namespace quillory::cli
