#pragma once

#include <cstddef>
#include <cstdint>
#include <iterator>

// Every identifier of a user-visible text, in one place. Language files give their wording;
// the test of the shipped language files checks that each of them is defined there.
namespace quorvane::textid {

// Compression run and pass
inline constexpr uint32_t kFetchingText = 0x67DA71F3;
inline constexpr uint32_t kFileCannotBeOpened = 0x0BF01DCF;  // %s: file name
inline constexpr uint32_t kStatisticsUnit = 0x0F3C2ABC;
inline constexpr uint32_t kFileWriteError = 0x2E298635;
inline constexpr uint32_t kStageIncludes = 0x4FE8C9B5;
inline constexpr uint32_t kStageLineBreaks = 0x30954F81;
inline constexpr uint32_t kStageTagEndings = 0x0AAA8A5E;
inline constexpr uint32_t kStageMarkedBlocks = 0x63206E20;
inline constexpr uint32_t kCollapsingWhiteSpace = 0x7BD584AC;
inline constexpr uint32_t kTrimmingBeforeClosingTags = 0x293D9289;
inline constexpr uint32_t kTreatingTagDefinition = 0x40AE3346;
inline constexpr uint32_t kRecursiveInclude = 0x20E9A2F4;
inline constexpr uint32_t kDirectiveUnterminated = 0x3D6A91C2;    // %s: file name
inline constexpr uint32_t kDirectivesTooDeep = 0x5E13B8A7;        // %s: file name
inline constexpr uint32_t kIncludesTooLarge = 0x61F0C4D9;         // %s: file name
inline constexpr uint32_t kUnicodePageNotDecodable = 0x5E1A0C37;  // %s: file name

// Batch
inline constexpr uint32_t kDirectoryMissing = 0x1035C567;    // %s: directory
inline constexpr uint32_t kFileWriteProtected = 0x2C1DF55E;  // %s: file name
inline constexpr uint32_t kCancelBatchQuestion = 0x20479CA9;
inline constexpr uint32_t kCompress = 0x590B2534;              // also the progress caption
inline constexpr uint32_t kFileCannotBeWritten = 0x3A5F0C17;   // %s: file name
inline constexpr uint32_t kFileChangedMeanwhile = 0x5D21B7E4;  // %s: file name
inline constexpr uint32_t kFileNoJournal = 0x2F84A6D3;         // %s: file name
inline constexpr uint32_t kFileRestored = 0x6C93E25A;          // %s: file name
inline constexpr uint32_t kFileNotRestored = 0x41B7D08E;       // %s: file name; the copy follows
inline constexpr uint32_t kNamedFileMissing = 0x4C28D7E1;      // %s: file name
inline constexpr uint32_t kDirectoryCannotBeCreated = 0x29F6B13A;  // %s: directory
inline constexpr uint32_t kSummaryFiles = 0x3E71A0C4;
inline constexpr uint32_t kSummaryBytes = 0x52D9F016;
inline constexpr uint32_t kSummarySaved = 0x17B4C85D;
inline constexpr uint32_t kSummarySeconds = 0x6A03E9B2;
inline constexpr uint32_t kNoDisplay = 0x0D5E8A47;
inline constexpr uint32_t kTerminalYesNo = 0x3C7E5B19;  // the letters of the answers in brackets
inline constexpr uint32_t kTerminalAbortRetryIgnore = 0x6B2D94E7;  // one bracketed letter each

// Shell verb registration and its dialog
inline constexpr uint32_t kRegistryWriteError = 0x71D9A386;
inline constexpr uint32_t kRegistryRemoveError = 0x3829388A;
inline constexpr uint32_t kRegistryErrorKey = 0x2CA145DE;  // %s: key path
inline constexpr uint32_t kDoctypesAvailable = 0x4792D0FA;
inline constexpr uint32_t kDoctypesAssigned = 0x0A58C1E3;
inline constexpr uint32_t kAssignedExtensions = 0x1291D1EE;
inline constexpr uint32_t kContextMenuName = 0x6F27DAE2;
inline constexpr uint32_t kAdd = 0x68B6D3C0;
inline constexpr uint32_t kRemove = 0x7BF6176A;
inline constexpr uint32_t kSearchExtension = 0x20A4F906;
inline constexpr uint32_t kEditContextMenu = 0x235590A6;
inline constexpr uint32_t kNoExtensions = 0x374865DB;
inline constexpr uint32_t kExtensionTypeNotListed = 0x561D1FAD;  // %s: extension
inline constexpr uint32_t kExtensions = 0x7EF396E9;
inline constexpr uint32_t kChooseExtension = 0x1F9A4635;

// Main window and document
inline constexpr uint32_t kUnnamedDocument = 0x09CE5D54;
inline constexpr uint32_t kSaveQuestion = 0x4BFF8308;  // %s: document name
inline constexpr uint32_t kSaveQuestionUnnamed = 0x70110705;
inline constexpr uint32_t kReloadQuestion = 0x7778097F;  // %s: file name
inline constexpr uint32_t kFileReadError = 0x0591564C;
inline constexpr uint32_t kStatusModified = 0x285EF31A;
inline constexpr uint32_t kStatusInsert = 0x22A4F1CF;
inline constexpr uint32_t kStatusOverwrite = 0x1C0C9891;
inline constexpr uint32_t kFilterDescription = 0x20BABF2B;
inline constexpr uint32_t kFilterMask = 0x0C35D4B2;
inline constexpr uint32_t kLanguageChanged = 0x117A135D;
inline constexpr uint32_t kMenuFile = 0x3BB8ACFC;
inline constexpr uint32_t kNew = 0x01B01BE2;
inline constexpr uint32_t kOpen = 0x13571950;
inline constexpr uint32_t kSaveAs = 0x3EF20680;
inline constexpr uint32_t kQuit = 0x0B72B281;
inline constexpr uint32_t kEdit = 0x361244F2;  // also the Edit menu
inline constexpr uint32_t kUndo = 0x5457211A;
inline constexpr uint32_t kRedo = 0x0C7AE11F;
inline constexpr uint32_t kCut = 0x255C34A6;
inline constexpr uint32_t kCopy = 0x0562DE96;
inline constexpr uint32_t kPaste = 0x793B8B80;
inline constexpr uint32_t kDelete = 0x296476DD;
inline constexpr uint32_t kSelectAll = 0x7F37F876;
inline constexpr uint32_t kSearch = 0x58792E03;
inline constexpr uint32_t kSearchNext = 0x765E0A60;
inline constexpr uint32_t kReplace = 0x78CF155B;
inline constexpr uint32_t kReplaceNext = 0x57ABCCE9;
inline constexpr uint32_t kMenuView = 0x49DA3166;
inline constexpr uint32_t kFont = 0x67B3923A;
inline constexpr uint32_t kLanguage = 0x745A3E03;
inline constexpr uint32_t kLineBreak = 0x0749BB12;
inline constexpr uint32_t kSymbolBar = 0x35593108;
inline constexpr uint32_t kStatusBar = 0x61A69831;
inline constexpr uint32_t kViewWithBrowser = 0x70FC750B;
inline constexpr uint32_t kMenuExtras = 0x35ED6F8B;
inline constexpr uint32_t kTagList = 0x2A29AA93;
inline constexpr uint32_t kOptions = 0x5B983467;
inline constexpr uint32_t kHelpWithBrowser = 0x3B541380;
inline constexpr uint32_t kAbout = 0x5099D105;

// Search and replace
inline constexpr uint32_t kInvalidPattern = 0x7E462F94;
inline constexpr uint32_t kNotFound = 0x750FA76F;       // %s: search text
inline constexpr uint32_t kReplacedCount = 0x4E47ED81;  // %s: count
inline constexpr uint32_t kMatchCase = 0x3A6C0E15;
inline constexpr uint32_t kReplaceAll = 0x1D4B7A92;

// Preview and help
inline constexpr uint32_t kNoPreviewName = 0x1E65C243;  // %s: directory

// Progress window
inline constexpr uint32_t kClose = 0x09938DDC;
inline constexpr uint32_t kCancelRequested = 0x2C31C5E8;
inline constexpr uint32_t kPleaseWait = 0x1B1651ED;

// Tag list and tag item dialogs
inline constexpr uint32_t kReset = 0x4A0FB355;
inline constexpr uint32_t kResetHint = 0x4151580B;
inline constexpr uint32_t kTagsLabel = 0x6BD2A87A;
inline constexpr uint32_t kName = 0x6F0F7C4D;
inline constexpr uint32_t kMaxTreat = 0x4252400E;
inline constexpr uint32_t kTreatAll = 0x1BC3ECA6;
inline constexpr uint32_t kNewTagCaption = 0x53D2A4D5;
inline constexpr uint32_t kEditTagCaption = 0x2BF85C5A;
inline constexpr uint32_t kTagNameEmpty = 0x14806D8C;
inline constexpr uint32_t kTagNameExists = 0x7B6B1239;
inline constexpr uint32_t kAllText = 0x6B645DF2;

// Options dialog and directory chooser
inline constexpr uint32_t kBrowse = 0x6FAB9065;
inline constexpr uint32_t kHtmlHelpDir = 0x51028E92;
inline constexpr uint32_t kAutomatic = 0x5A0FFC23;
inline constexpr uint32_t kUserDefined = 0x16117764;
inline constexpr uint32_t kDisplayDelay = 0x6DADDB9E;
inline constexpr uint32_t kDisplayDelayHint = 0x5FF88EA4;
inline constexpr uint32_t kChooseDirectory = 0x46992A65;
inline constexpr uint32_t kProtectCodeElements = 0x2B7E5A14;

// Language selection
inline constexpr uint32_t kChooseLanguageLabel = 0x35B5CEB5;
inline constexpr uint32_t kDirectory = 0x64DAD32C;
inline constexpr uint32_t kChange = 0x5321F47A;
inline constexpr uint32_t kChooseLanguageDir = 0x50FE4203;
inline constexpr uint32_t kLanguagesPrefix = 0x7D8C3B71;
inline constexpr uint32_t kNoLanguagesFound = 0x6679002D;

// Message boxes and system texts
inline constexpr uint32_t kCaptionWarning = 0x341CADDA;
inline constexpr uint32_t kCaptionError = 0x474FB069;
inline constexpr uint32_t kCaptionInformation = 0x05F47AFD;
inline constexpr uint32_t kCaptionConfirmation = 0x00533C9B;
inline constexpr uint32_t kYes = 0x1FB46A0E;
inline constexpr uint32_t kNo = 0x7B2A82F2;
inline constexpr uint32_t kOk = 0x655C77AA;
inline constexpr uint32_t kCancel = 0x4560CF28;
inline constexpr uint32_t kAbort = 0x1FD847C4;
inline constexpr uint32_t kRetry = 0x34725DFB;
inline constexpr uint32_t kIgnore = 0x1EFEDCB8;
inline constexpr uint32_t kAll = 0x6906689A;
inline constexpr uint32_t kNoToAll = 0x6628FBD8;
inline constexpr uint32_t kYesToAll = 0x70466638;
inline constexpr uint32_t kHelp = 0x405F39B8;                 // also the Help menu
inline constexpr uint32_t kFileCannotBeCreated = 0x6FD24AE5;  // %s: file name
inline constexpr uint32_t kMenuKeyNamesBase = 0x1EB5BBD2;     // + index of the key name

// Every constant above, for checks over all texts. A new constant belongs here too; the tests
// count the constants of this file against this list.
inline constexpr uint32_t kAllTextIds[] = {
    kFetchingText,
    kFileCannotBeOpened,
    kStatisticsUnit,
    kFileWriteError,
    kStageIncludes,
    kStageLineBreaks,
    kStageTagEndings,
    kStageMarkedBlocks,
    kCollapsingWhiteSpace,
    kTrimmingBeforeClosingTags,
    kTreatingTagDefinition,
    kRecursiveInclude,
    kDirectiveUnterminated,
    kDirectivesTooDeep,
    kIncludesTooLarge,
    kUnicodePageNotDecodable,
    kDirectoryMissing,
    kFileWriteProtected,
    kCancelBatchQuestion,
    kCompress,
    kFileCannotBeWritten,
    kFileChangedMeanwhile,
    kFileNoJournal,
    kFileRestored,
    kFileNotRestored,
    kNamedFileMissing,
    kDirectoryCannotBeCreated,
    kSummaryFiles,
    kSummaryBytes,
    kSummarySaved,
    kSummarySeconds,
    kNoDisplay,
    kTerminalYesNo,
    kTerminalAbortRetryIgnore,
    kRegistryWriteError,
    kRegistryRemoveError,
    kRegistryErrorKey,
    kDoctypesAvailable,
    kDoctypesAssigned,
    kAssignedExtensions,
    kContextMenuName,
    kAdd,
    kRemove,
    kSearchExtension,
    kEditContextMenu,
    kNoExtensions,
    kExtensionTypeNotListed,
    kExtensions,
    kChooseExtension,
    kUnnamedDocument,
    kSaveQuestion,
    kSaveQuestionUnnamed,
    kReloadQuestion,
    kFileReadError,
    kStatusModified,
    kStatusInsert,
    kStatusOverwrite,
    kFilterDescription,
    kFilterMask,
    kLanguageChanged,
    kMenuFile,
    kNew,
    kOpen,
    kSaveAs,
    kQuit,
    kEdit,
    kUndo,
    kRedo,
    kCut,
    kCopy,
    kPaste,
    kDelete,
    kSelectAll,
    kSearch,
    kSearchNext,
    kReplace,
    kReplaceNext,
    kMenuView,
    kFont,
    kLanguage,
    kLineBreak,
    kSymbolBar,
    kStatusBar,
    kViewWithBrowser,
    kMenuExtras,
    kTagList,
    kOptions,
    kHelpWithBrowser,
    kAbout,
    kInvalidPattern,
    kNotFound,
    kReplacedCount,
    kMatchCase,
    kReplaceAll,
    kNoPreviewName,
    kClose,
    kCancelRequested,
    kPleaseWait,
    kReset,
    kResetHint,
    kTagsLabel,
    kName,
    kMaxTreat,
    kTreatAll,
    kNewTagCaption,
    kEditTagCaption,
    kTagNameEmpty,
    kTagNameExists,
    kAllText,
    kBrowse,
    kHtmlHelpDir,
    kAutomatic,
    kUserDefined,
    kDisplayDelay,
    kDisplayDelayHint,
    kChooseDirectory,
    kProtectCodeElements,
    kChooseLanguageLabel,
    kDirectory,
    kChange,
    kChooseLanguageDir,
    kLanguagesPrefix,
    kNoLanguagesFound,
    kCaptionWarning,
    kCaptionError,
    kCaptionInformation,
    kCaptionConfirmation,
    kYes,
    kNo,
    kOk,
    kCancel,
    kAbort,
    kRetry,
    kIgnore,
    kAll,
    kNoToAll,
    kYesToAll,
    kHelp,
    kFileCannotBeCreated,
    kMenuKeyNamesBase,
};

namespace detail {
constexpr bool AllDistinct() {
  for (size_t i = 0; i < std::size(kAllTextIds); ++i) {
    for (size_t j = i + 1; j < std::size(kAllTextIds); ++j) {
      if (kAllTextIds[i] == kAllTextIds[j]) {
        return false;
      }
    }
  }
  return true;
}
}  // namespace detail
static_assert(detail::AllDistinct(), "two text constants share one identifier");

}  // namespace quorvane::textid
