// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <array>
#include <string_view>

namespace quillory {

// Names of the internal notifications. Kept as strings: parts that do not know each other agree on
// the name only.
namespace AppNotification {
inline constexpr std::string_view applyChanges = "applyChanges";
inline constexpr std::string_view commitChanges = "commitChanges";
inline constexpr std::string_view transformButtonUpdated = "transformButtonUpdated";
inline constexpr std::string_view transformButtonSave = "transformButtonSave";
inline constexpr std::string_view currentButtonEnabledState = "currentButtonEnabledState";
inline constexpr std::string_view transformAllFiles = "transformAllFiles";
inline constexpr std::string_view transformAllFilesQuick = "transformAllFilesQuick";
inline constexpr std::string_view abortProcess = "abortProcess";
inline constexpr std::string_view removeFiles = "removeFiles";
inline constexpr std::string_view openFolder = "openFolder";
inline constexpr std::string_view openFolderAndWait = "openFolderAndWait";
inline constexpr std::string_view openRecipe = "openRecipe";
inline constexpr std::string_view openMostRecentRecipe = "openMostRecentRecipe";
inline constexpr std::string_view resetRandomNumbers = "resetRandomNumbers";
inline constexpr std::string_view dataSourceUpdated = "dataSourceUpdated";
inline constexpr std::string_view disableUserInput = "disableUserInput";
inline constexpr std::string_view enableUserInput = "enableUserInput";
inline constexpr std::string_view enableGoButton = "enableGoButton";
inline constexpr std::string_view disableGoButton = "disableGoButton";
inline constexpr std::string_view showProgressIndicator = "showProgressIndicator";
inline constexpr std::string_view hideProgressIndicator = "hideProgressIndicator";
inline constexpr std::string_view showModalAlert = "showModalAlert";
inline constexpr std::string_view hideModalAlert = "hideModalAlert";
// The three progress-view notifications carry a ProgressUpdate as their object (the renamer's framing
// "showProgressView" and "hideProgressView" may carry none).
inline constexpr std::string_view showProgressView = "showProgressView";
inline constexpr std::string_view hideProgressView = "hideProgressView";
inline constexpr std::string_view updateProgressView = "updateProgressView";
inline constexpr std::string_view showTokenTextView = "showTokenTextView";
inline constexpr std::string_view hideTokenTextView = "hideTokenTextView";
inline constexpr std::string_view dismissTokenTextPane = "dismissTokenTextPane";
inline constexpr std::string_view selectAttribute = "selectAttribute";
inline constexpr std::string_view showOrHideQuickLook = "showOrHideQuickLook";
inline constexpr std::string_view reloadQuickLook = "reloadQuickLook";
inline constexpr std::string_view showFileInspector = "showFileInspector";
inline constexpr std::string_view updateFileInspector = "updateFileInspector";
inline constexpr std::string_view showOrHideFileInspector = "showOrHideFileInspector";
inline constexpr std::string_view showLookupTable = "showLookupTable";
inline constexpr std::string_view hideLookupTable = "hideLookupTable";
inline constexpr std::string_view showOrHideLookupTable = "showOrHideLookupTable";
inline constexpr std::string_view updateLookupTable = "updateLookupTable";
inline constexpr std::string_view hideAllPanels = "hideAllPanels";
inline constexpr std::string_view beginTokenEdit = "beginTokenEdit";
inline constexpr std::string_view endTokenEdit = "endTokenEdit";
inline constexpr std::string_view collapsePathColumns = "collapsePathColumns";
inline constexpr std::string_view uncollapsePathColumns = "uncollapsePathColumns";
inline constexpr std::string_view selectTransformer = "selectTransformer";
inline constexpr std::string_view updateButtonView = "updateButtonView";
inline constexpr std::string_view clearAllTransformers = "clearAllTransformers";
// Its object is a FileValidationResult.
inline constexpr std::string_view validationResult = "validationResult";
inline constexpr std::string_view setWindowTitle = "setWindowTitle";

inline constexpr std::array<std::string_view, 49> all = {
    applyChanges, commitChanges, transformButtonUpdated, transformButtonSave, currentButtonEnabledState,
    transformAllFiles, transformAllFilesQuick, abortProcess, removeFiles, openFolder, openFolderAndWait,
    openRecipe, openMostRecentRecipe, resetRandomNumbers, dataSourceUpdated, disableUserInput,
    enableUserInput, enableGoButton, disableGoButton, showProgressIndicator, hideProgressIndicator,
    showModalAlert, hideModalAlert, showProgressView, hideProgressView, updateProgressView,
    showTokenTextView, hideTokenTextView, dismissTokenTextPane, selectAttribute, showOrHideQuickLook,
    reloadQuickLook, showFileInspector, updateFileInspector, showOrHideFileInspector, showLookupTable,
    hideLookupTable, showOrHideLookupTable, updateLookupTable, hideAllPanels, beginTokenEdit, endTokenEdit,
    collapsePathColumns, uncollapsePathColumns, selectTransformer, updateButtonView, clearAllTransformers,
    validationResult, setWindowTitle};
} // namespace AppNotification

} // namespace quillory
