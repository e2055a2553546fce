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
    X(TextureNameAndFile, "Type texture name and select file to load!!")                           \
    X(TextureNameTaken, "A texture named \"%1\" exists already: choose another name.")             \
    X(TextureInUse, "The texture \"%1\" is used by the object \"%2\" and cannot be deleted.")      \
    X(TextureNotLoaded, "%1 could not be loaded as a texture.")                                    \
    X(PictureUnreadable, "%1 is not a picture that can be read.")                                  \
    X(CornersCaption, "Corners color and texture")                                                 \
    X(TopCaption, "Top color and texture")                                                         \
    X(BottomCaption, "Bottom color and texture")                                                   \
    X(TexturesDirectoryTitle, "Default textures directory")                                        \
    X(ProfileEditorCaption, "Profile editor")                                                      \
    X(PathEditorCaption, "Path editor")                                                            \
    X(NotARun, "The selected points must be 2 or more, and in sequence!!")                         \
    X(VertexLimit, "Limit of %1 vertices reached")                                                 \
    X(VertexCount, "Vertices: %1")                                                                 \
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
