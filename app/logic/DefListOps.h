// What the definition list does to its rows and to the definition tables:
// delete, the limit of New, the file label with its modified mark, and the
// save into a ".sbl" file.
#pragma once

#include "ListFileDialogs.h"
#include "ListRows.h"

#include <string>
#include <vector>

class CVestrelDoc;

// New is refused at 500 rows with message IDS_TOO_MANY_TO_EDIT; true when the definition
// dialog may open.
bool CheckNewAllowed(const ListRows& defRows);

// Asks IDS_ASK_DELETE; on Yes gives the records of the selected rows back to their
// pools (a message or group left empty goes too, a group losing its bit
// count), removes the rows, renumbers and sets the modified flag. A row whose
// records are not found loses only its row. False when the user said No.
bool DeleteDefinitionRows(CVestrelDoc& doc, int busKind, ListRows& rows, const std::vector<int>& selection);

// The file label of the definition list: the file title, followed by " *"
// while modified ("*" alone without a file).
std::string DefinitionFileLabel(const std::string& filePath, bool modified);

// The save flow. On success the modified flag is cleared, filePath takes the
// written path and the answer is true; every other ending (No to IDS_ASK_MISSING_MUX,
// nothing to save, cancelled dialog, No to IDS_ASK_OVERWRITE, failed write) answers false.
bool SaveDefinitionList(CVestrelDoc& doc, int busKind, const ListRows& rows, std::string& filePath,
                        IListFileDialogs& dialogs);

// Numbers the definition signals (LOGIC: symbols) of the bus kind by the rows
// that show them, from 0; those without a row get -1. CAN and LIN take the
// numbers as load numbers, which the file holds; FlexRay and LOGIC keep them
// as their row places, by which the file's frames and symbols are ordered.
void RenumberSignalsByRows(CVestrelDoc& doc, int busKind, const ListRows& rows);

// The ".sbl" file names a multiplexor by its load number, so the numbers
// inside one CAN message must be unique and set. When they are not, numbers
// every CAN definition signal in the order its row would be shown (load-number
// order). True when it renumbered.
bool EnsureUniqueCanLoadNumbers(CVestrelDoc& doc);
