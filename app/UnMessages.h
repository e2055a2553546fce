// The program's messages and the captions it sets while running: each passes through the
// translator, so the language files hold a translation of every one of them.
#pragma once

#define PALVORIN_MESSAGES(X)                                                                       \
    X(CreateProfileFirst, "Create first a profile!")                                               \
    X(LathePathNotEditable, "Path of lathe object is not editable!")                               \
    X(HelpFileNotFound, "Help file not found: %1")                                                 \
    X(HelpViewerMissing, "No viewer could open the help file %1")                                  \
    X(UnknownError, "Unknown error")                                                               \
    X(SaveChanges, "Save changes?")                                                                \
    X(SaveButton, "Save")                                                                          \
    X(DiscardButton, "Discard")                                                                    \
    X(CancelButton, "Cancel")                                                                      \
    X(OpenTitle, "Open")                                                                           \
    X(SaveAsTitle, "Save as")                                                                      \
    X(PalvorinFiles, "Palvorin files")                                                             \
    X(DxfFiles, "Autocad DXF")                                                                     \
    X(VrmlFiles, "Vrml files")                                                                     \
    X(Studio3DFiles, "3D Studio files")                                                            \
    X(GltfFiles, "glTF 2.0 binary files")                                                          \
    X(ObjFiles, "Wavefront OBJ files")                                                             \
    X(StlFiles, "STL files")                                                                       \
    X(ThreeMFFiles, "3MF files")                                                                   \
    X(StepFiles, "STEP files")                                                                     \
    X(WritingStep, "Writing the STEP file...")                                                     \
    X(CancelWriting, "&Cancel")                                                                    \
    X(StepShell,                                                                                   \
      "Not a valid solid: the faces of %1 do not make one (%2), so the STEP file holds them as a " \
      "shell.")                                                                                    \
    X(NotSolid,                                                                                    \
      "Not watertight: %1 is not one closed surface (a profile that is not closed, a path that "   \
      "ends on its start without being closed, or faces that do not meet), so the file does not "  \
      "describe a solid.")                                                                         \
    X(AllFiles, "All files")                                                                       \
    X(ImageFiles, "Images")                                                                        \
    X(Loading, "Loading %1")                                                                       \
    X(NoProfileToSave, "Nothing was saved: the current object \"%1\" has no profile yet.")         \
    X(NoPathToSave, "Nothing was saved: the current object \"%1\" has no path yet.")               \
    X(NothingToExport,                                                                             \
      "Nothing to export: no object of the document has both a profile and a path.")               \
    X(FileMissing, "%1 cannot be opened: the file does not exist.")                                \
    X(FileUnreadable, "%1 cannot be opened: you are not allowed to read it.")                      \
    X(NotADocument, "%1 is not a Palvorin document.")                                              \
    X(DamagedDocument, "%1 is damaged or incomplete and was not opened.")                          \
    X(EmptyDocument, "%1 holds no objects.")                                                       \
    X(OpenFailed, "%1 could not be opened.")                                                       \
    X(TechnicalDetails, "Details: %1")                                                             \
    X(ExportFailedKept, "Could not export to %1: %2. The earlier file is unchanged.")              \
    X(ExportFailedNothing, "Could not export to %1: %2. Nothing was written.")                     \
    X(ExportFailed, "Could not export to %1: %2.")                                                 \
    X(CauseUnknown, "an error stopped it")                                                         \
    X(CauseNoSpace, "no space left on the device")                                                 \
    X(CauseReadOnly, "the folder is read-only")                                                    \
    X(CauseNotAllowed, "you are not allowed to write there")                                       \
    X(CauseIsFolder, "it is a folder")                                                             \
    X(CauseNoFolder, "the folder does not exist")                                                  \
    X(CauseTooLarge, "the file would be too large")                                                \
    X(CauseImageUnreadable, "a texture image could not be read")                                   \
    X(TextureNameAndFile, "Type texture name and select file to load!!")                           \
    X(TextureNameTaken, "A texture named \"%1\" exists already: choose another name.")             \
    X(TextureInUse, "The texture \"%1\" is used by the object \"%2\" and cannot be deleted.")      \
    X(TextureNotLoaded, "%1 could not be loaded as a texture.")                                    \
    X(PictureUnreadable, "%1 is not a picture that can be read.")                                  \
    X(CornersCaption, "Corners color and texture")                                                 \
    X(TopCaption, "Top color and texture")                                                         \
    X(BottomCaption, "Bottom color and texture")                                                   \
    X(TexturesDirectoryTitle, "Default textures directory")                                        \
    X(EmptyViewHint, "Ctrl+E draws the profile, Ctrl+Shift+E the path")                            \
    X(ProfileEditorCaption, "Profile editor")                                                      \
    X(PathEditorCaption, "Path editor")                                                            \
    X(NotARun, "The selected points must be 2 or more, and in sequence!!")                         \
    X(VertexLimit, "Limit of %1 vertices reached")                                                 \
    X(VertexCount, "Vertices: %1")                                                                 \
    X(PointsTableTitle, "Points table")                                                            \
    X(PasteRowsHint, "Paste rows of X and %1 (Ctrl+V) from a spreadsheet or a listing; Ctrl+C "    \
                     "copies the selected rows.")                                                  \
    X(PasteRowsHeightsHint,                                                                        \
      "Paste rows of X, %1 and height, or of X and %1 keeping the heights (Ctrl+V), from a "       \
      "spreadsheet or a listing; Ctrl+C copies the selected rows.")                                \
    X(HeightColumn, "Height (mm)")                                                                 \
    X(RowNotANumber, "Row %1: \"%2\" is not a number. Nothing was changed.")                       \
    X(RowEmptyCell, "Row %1: a cell is empty. Nothing was changed.")                               \
    X(RowNotAPoint,                                                                                \
      "Row %1: \"%2\" is not one point (X and Y separated by a tab, comma, semicolon or "          \
      "spaces). Nothing was changed.")                                                             \
    X(TooManyRows, "Row %1: an outline holds at most %2 points. Nothing was changed.")             \
    X(TooFewRows, "An outline needs at least two points. Nothing was changed.")                    \
    X(RoundingNote, "Rounded to the storage grid of %1 mm: row %2 moved by %3 mm.")                \
    X(PointRounded, "Rounded to the storage grid of %1 mm: point %2 moved by %3 mm.")              \
    X(ScaleRefined, "Scale refined to %1 % (storage step %2 mm) to keep the values exact; the "    \
                    "solid keeps its size.")                                                       \
    X(PathEndsOnStart, "The path ends on its start: Closed polygon is ticked, so it is saved "     \
                       "closed (untick it for an open path).")                                     \
    X(ClosedShapeHint, "The shape is closed: double-click on a segment to add a point.")           \
    X(PointThereHint, "A point is already there: double-click on a segment or away from the line " \
                      "to add one.")                                                               \
    X(CornerNoneChosen, "Select one or more corner points first.")                                 \
    X(CornerOpenEnd, "Point %1 is an end of the open outline: it has only one edge to round.")     \
    X(CornerZeroEdge, "Point %1 has an edge of zero length: there is no corner to round.")         \
    X(CornerStraight, "Point %1 lies in line with its edges: there is no corner to round.")        \
    X(CornerDoesNotFit,                                                                            \
      "A radius of %1 mm does not fit the edges at point %2: at most %3 mm fits there.")           \
    X(CornerTooMany, "Rounding would make %1 points: an outline holds at most %2.")                \
    X(ProfileTooFewPoints,                                                                         \
      "The profile has fewer than three distinct points: the solid will have nothing to draw.")    \
    X(ProfileNotClosed, "The profile is not closed: the solid will have no end caps.")             \
    X(ProfileCrossing, "The profile crosses itself: the solid's end caps will be wrong.")          \
    X(PathRepeatedPoints,                                                                          \
      "The path repeats a point next to itself: the solid will have zero-length segments there.")  \
    X(SaveAnyway, "Save anyway")                                                                   \
    X(KeepEditing, "Keep editing")                                                                 \
    X(DiscardProfile, "Discard the changes to the profile?")                                       \
    X(DiscardPath, "Discard the changes to the path?")                                             \
    X(NotAMillimetreValue, "\"%1\" is not a number of millimetres.")                               \
    X(BackgroundKept, "The background stays as it was.")                                           \
    X(UndoStep, "Undo %1")                                                                         \
    X(RedoStep, "Redo %1")                                                                         \
    X(MoveStep, "Move %1")                                                                         \
    X(TurnStep, "Turn %1")                                                                         \
    X(RecentMissing, "%1 was moved or deleted; it is removed from the recent documents.")          \
    X(RecoverTitle, "Recover unsaved work")                                                        \
    X(RecoverQuestion,                                                                             \
      "Palvorin ended without saving %1. Recover the changes as they were at %2?")                 \
    X(RecoverButton, "Recover")                                                                    \
    X(NewDocumentName, "a new document")                                                           \
    X(RecoveryUnreadable, "The recovery file %1 cannot be read (%2); it is kept as it is.")        \
    X(RecoveryOff, "Crash recovery is off: %1")

namespace msg {
#define PALVORIN_MESSAGE_NAME(name, text) inline constexpr const char* name = text;
PALVORIN_MESSAGES(PALVORIN_MESSAGE_NAME)
#undef PALVORIN_MESSAGE_NAME

#define PALVORIN_MESSAGE_TEXT(name, text) text,
inline constexpr const char* All[] = {PALVORIN_MESSAGES(PALVORIN_MESSAGE_TEXT)};
#undef PALVORIN_MESSAGE_TEXT
} // namespace msg
