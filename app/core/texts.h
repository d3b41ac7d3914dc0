// Every caption and message of the window, one table per language, UTF-8.
// The Korean table holds what Korean mode shows differently; everything else
// is the English text in both modes.
#pragma once

#include <string>
#include <vector>

#include "language.h"
#include "main_view.h"

namespace orvenna {

enum class TextId {
    kDesignCaption,
    kAppTitle,
    kProgramName,
    kNoDriver,
    kColumnNo,
    kColumnName,
    kColumnSize,
    kListsNotSaved,
    kListUnreadable,
    kListNotText,
    kListBadEntries,
    kListTooMany,
    kListsKept,
    kHeightPrefix,
    kWidthPrefix,
    kWidthClearedPrefix,
    kNoMoreFiles,
    kSelectColour,
    kOutOfRange,
    kNameNotInCodePage,
    kRemoveQuestion,
    kUploadQuestion,
    kEraseQuestion,
    kEraseCaption,
    kWriteDone,
    kEraseDone,
    kSampleDone,
    kCommunicationError,
    kCheckDriver,
};

// The caption a control is created with (English), or its Korean relabel.
const std::string& Caption(Language language, Item item);
const std::string& Text(Language language, TextId id);

// The controls that have a caption of their own, in the table's order.
std::vector<Item> CaptionedItems();
// The controls that Korean mode relabels.
std::vector<Item> RelabelledItems();

}  // namespace orvenna
