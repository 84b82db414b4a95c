#pragma once

#include <cstddef>
#include <cstdint>
#include <iterator>

// Every identifier of a user-visible text, in one list: the constants and kAllTextIds both come
// from it, so a text cannot be declared without being listed. Language files give the wording.
#define QUORVANE_TEXT_IDS(X)                                                     \
  /* Compression run and pass */                                                 \
  X(kFetchingText, 0x67DA71F3)                                                   \
  X(kFileCannotBeOpened, 0x0BF01DCF) /* %s: file name */                         \
  X(kStatisticsUnit, 0x0F3C2ABC)                                                 \
  X(kFileWriteError, 0x2E298635)                                                 \
  X(kStageIncludes, 0x4FE8C9B5)                                                  \
  X(kStageLineBreaks, 0x30954F81)                                                \
  X(kStageTagEndings, 0x0AAA8A5E)                                                \
  X(kStageMarkedBlocks, 0x63206E20)                                              \
  X(kCollapsingWhiteSpace, 0x7BD584AC)                                           \
  X(kTrimmingBeforeClosingTags, 0x293D9289)                                      \
  X(kTreatingTagDefinition, 0x40AE3346)                                          \
  X(kRecursiveInclude, 0x20E9A2F4)                                               \
  X(kDirectiveUnterminated, 0x3D6A91C2)   /* %s: file name */                    \
  X(kDirectivesTooDeep, 0x5E13B8A7)       /* %s: file name */                    \
  X(kIncludesTooLarge, 0x61F0C4D9)        /* %s: file name */                    \
  X(kUnicodePageNotDecodable, 0x5E1A0C37) /* %s: file name */                    \
  /* Batch */                                                                    \
  X(kDirectoryMissing, 0x1035C567)   /* %s: directory */                         \
  X(kFileWriteProtected, 0x2C1DF55E) /* %s: file name */                         \
  X(kCancelBatchQuestion, 0x20479CA9)                                            \
  X(kCompress, 0x590B2534)                 /* also the progress caption */       \
  X(kFileCannotBeWritten, 0x3A5F0C17)      /* %s: file name */                   \
  X(kFileChangedMeanwhile, 0x5D21B7E4)     /* %s: file name */                   \
  X(kFileNoJournal, 0x2F84A6D3)            /* %s: file name */                   \
  X(kFileRestored, 0x6C93E25A)             /* %s: file name */                   \
  X(kFileNotRestored, 0x41B7D08E)          /* %s: file name; the copy follows */ \
  X(kNamedFileMissing, 0x4C28D7E1)         /* %s: file name */                   \
  X(kDirectoryCannotBeCreated, 0x29F6B13A) /* %s: directory */                   \
  X(kSummaryFiles, 0x3E71A0C4)                                                   \
  X(kSummaryBytes, 0x52D9F016)                                                   \
  X(kSummarySaved, 0x17B4C85D)                                                   \
  X(kSummarySeconds, 0x6A03E9B2)                                                 \
  X(kNoDisplay, 0x0D5E8A47)                                                      \
  X(kTerminalYesNo, 0x3C7E5B19) /* [y/n] */                                      \
  X(kTerminalAbortRetryIgnore, 0x6B2D94E7)                                       \
  /* Shell verb registration and its dialog */                                   \
  X(kSettingsWriteError, 0x71D9A386)                                             \
  X(kSettingsRemoveError, 0x3829388A)                                            \
  X(kSettingsErrorKey, 0x2CA145DE) /* %s: key path */                            \
  X(kDoctypesAvailable, 0x4792D0FA)                                              \
  X(kDoctypesAssigned, 0x0A58C1E3)                                               \
  X(kAssignedExtensions, 0x1291D1EE)                                             \
  X(kContextMenuName, 0x6F27DAE2)                                                \
  X(kAdd, 0x68B6D3C0)                                                            \
  X(kRemove, 0x7BF6176A)                                                         \
  X(kSearchExtension, 0x20A4F906)                                                \
  X(kEditContextMenu, 0x235590A6)                                                \
  X(kNoExtensions, 0x374865DB)                                                   \
  X(kExtensionTypeNotListed, 0x561D1FAD) /* %s: extension */                     \
  X(kExtensions, 0x7EF396E9)                                                     \
  X(kChooseExtension, 0x1F9A4635)                                                \
  /* Main window and document */                                                 \
  X(kUnnamedDocument, 0x09CE5D54)                                                \
  X(kSaveQuestion, 0x4BFF8308) /* %s: document name */                           \
  X(kSaveQuestionUnnamed, 0x70110705)                                            \
  X(kReloadQuestion, 0x7778097F) /* %s: file name */                             \
  X(kFileReadError, 0x0591564C)                                                  \
  X(kStatusModified, 0x285EF31A)                                                 \
  X(kStatusInsert, 0x22A4F1CF)                                                   \
  X(kStatusOverwrite, 0x1C0C9891)                                                \
  X(kFilterDescription, 0x20BABF2B)                                              \
  X(kFilterMask, 0x0C35D4B2)                                                     \
  X(kLanguageChanged, 0x117A135D)                                                \
  X(kMenuFile, 0x3BB8ACFC)                                                       \
  X(kNew, 0x01B01BE2)                                                            \
  X(kOpen, 0x13571950)                                                           \
  X(kSaveAs, 0x3EF20680)                                                         \
  X(kQuit, 0x0B72B281)                                                           \
  X(kEdit, 0x361244F2) /* also the Edit menu */                                  \
  X(kUndo, 0x5457211A)                                                           \
  X(kRedo, 0x0C7AE11F)                                                           \
  X(kCut, 0x255C34A6)                                                            \
  X(kCopy, 0x0562DE96)                                                           \
  X(kPaste, 0x793B8B80)                                                          \
  X(kDelete, 0x296476DD)                                                         \
  X(kSelectAll, 0x7F37F876)                                                      \
  X(kSearch, 0x58792E03)                                                         \
  X(kSearchNext, 0x765E0A60)                                                     \
  X(kReplace, 0x78CF155B)                                                        \
  X(kReplaceNext, 0x57ABCCE9)                                                    \
  X(kMenuView, 0x49DA3166)                                                       \
  X(kFont, 0x67B3923A)                                                           \
  X(kLanguage, 0x745A3E03)                                                       \
  X(kLineBreak, 0x0749BB12)                                                      \
  X(kSymbolBar, 0x35593108)                                                      \
  X(kStatusBar, 0x61A69831)                                                      \
  X(kViewWithBrowser, 0x70FC750B)                                                \
  X(kMenuExtras, 0x35ED6F8B)                                                     \
  X(kTagList, 0x2A29AA93)                                                        \
  X(kOptions, 0x5B983467)                                                        \
  X(kHelpWithBrowser, 0x3B541380)                                                \
  X(kAbout, 0x5099D105)                                                          \
  X(kSave, 0x2E4660D5)                                                           \
  X(kCloseDocument, 0x4C2B7E19)                                                  \
  X(kSearchPrevious, 0x3C0F7C37)                                                 \
  X(kLargerText, 0x3D8063FA)                                                     \
  X(kSmallerText, 0x2478B2EA)                                                    \
  X(kNormalTextSize, 0x355EB42D)                                                 \
  X(kHighlighting, 0x1D02B16A)                                                   \
  X(kChanges, 0x392F684E)         /* also the changes dialog's caption */        \
  X(kCompressedBytes, 0x346B02EA) /* %s: sizes before and after */               \
  X(kSavedPercent, 0x6D545953)    /* %s: "19 %" */                               \
  /* Search and replace */                                                       \
  X(kInvalidPattern, 0x7E462F94)                                                 \
  X(kNotFound, 0x750FA76F)      /* %s: search text */                            \
  X(kReplacedCount, 0x4E47ED81) /* %s: count */                                  \
  X(kMatchCase, 0x3A6C0E15)                                                      \
  X(kReplaceAll, 0x1D4B7A92)                                                     \
  /* Preview and help */                                                         \
  X(kNoPreviewName, 0x1E65C243) /* %s: directory */                              \
  /* Progress window */                                                          \
  X(kClose, 0x09938DDC)                                                          \
  X(kCancelRequested, 0x2C31C5E8)                                                \
  X(kPleaseWait, 0x1B1651ED)                                                     \
  /* Tag list and tag item dialogs */                                            \
  X(kReset, 0x4A0FB355)                                                          \
  X(kResetHint, 0x4151580B)                                                      \
  X(kTagsLabel, 0x6BD2A87A)                                                      \
  X(kName, 0x6F0F7C4D)                                                           \
  X(kMaxTreat, 0x4252400E)                                                       \
  X(kTreatAll, 0x1BC3ECA6)                                                       \
  X(kNewTagCaption, 0x53D2A4D5)                                                  \
  X(kEditTagCaption, 0x2BF85C5A)                                                 \
  X(kTagNameEmpty, 0x14806D8C)                                                   \
  X(kTagNameExists, 0x7B6B1239)                                                  \
  X(kAllText, 0x6B645DF2)                                                        \
  /* Options dialog and directory chooser */                                     \
  X(kBrowse, 0x6FAB9065)                                                         \
  X(kHtmlHelpDir, 0x51028E92)                                                    \
  X(kAutomatic, 0x5A0FFC23)                                                      \
  X(kUserDefined, 0x16117764)                                                    \
  X(kDisplayDelay, 0x6DADDB9E)                                                   \
  X(kDisplayDelayHint, 0x5FF88EA4)                                               \
  X(kChooseDirectory, 0x46992A65)                                                \
  X(kProtectCodeElements, 0x2B7E5A14)                                            \
  /* Language selection */                                                       \
  X(kChooseLanguageLabel, 0x35B5CEB5)                                            \
  X(kDirectory, 0x64DAD32C)                                                      \
  X(kChange, 0x5321F47A)                                                         \
  X(kChooseLanguageDir, 0x50FE4203)                                              \
  X(kLanguagesPrefix, 0x7D8C3B71)                                                \
  X(kNoLanguagesFound, 0x6679002D)                                               \
  /* Message boxes and system texts */                                           \
  X(kCaptionWarning, 0x341CADDA)                                                 \
  X(kCaptionError, 0x474FB069)                                                   \
  X(kCaptionInformation, 0x05F47AFD)                                             \
  X(kCaptionConfirmation, 0x00533C9B)                                            \
  X(kYes, 0x1FB46A0E)                                                            \
  X(kNo, 0x7B2A82F2)                                                             \
  X(kOk, 0x655C77AA)                                                             \
  X(kCancel, 0x4560CF28)                                                         \
  X(kAbort, 0x1FD847C4)                                                          \
  X(kRetry, 0x34725DFB)                                                          \
  X(kIgnore, 0x1EFEDCB8)                                                         \
  X(kAll, 0x6906689A)                                                            \
  X(kNoToAll, 0x6628FBD8)                                                        \
  X(kYesToAll, 0x70466638)                                                       \
  X(kHelp, 0x405F39B8)                /* also the Help menu */                   \
  X(kFileCannotBeCreated, 0x6FD24AE5) /* %s: file name */                        \
  X(kMenuKeyNamesBase, 0x1EB5BBD2)    /* + index of the key name */

namespace quorvane::textid {

#define QUORVANE_TEXT_ID_CONSTANT(name, id) inline constexpr uint32_t name = id;
QUORVANE_TEXT_IDS(QUORVANE_TEXT_ID_CONSTANT)
#undef QUORVANE_TEXT_ID_CONSTANT

// Every constant above, for checks over all texts.
inline constexpr uint32_t kAllTextIds[] = {
#define QUORVANE_TEXT_ID_ENTRY(name, id) name,
    QUORVANE_TEXT_IDS(QUORVANE_TEXT_ID_ENTRY)
#undef QUORVANE_TEXT_ID_ENTRY
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
