// Which language texts each window reads: one row per window and section, with the positions
// it asks for. Windows take their texts by these positions; the shipped language files are
// checked against this table, so a text a window asks for can never be missing from them.
#pragma once

#include <string_view>
#include <vector>

struct WindowTexts {
    std::string_view window;
    std::string_view section;
    std::vector<int> positions;
};

const std::vector<WindowTexts>& textTable();

// The messages and shared button texts of section "Common", by position.
namespace common_text {
enum : int {
    NewImageName = 0,
    SaveCollectionQuestion = 1,
    PromptZoomIn = 2,
    PromptZoomOut = 3,
    PromptReference = 4,
    PromptPolygonArea = 5,
    PromptRectangleArea = 6,
    PromptCrop = 7,
    PromptEyedropper = 8,
    ProcessingLoadFailed = 9,
    ProcessingSaveFailed = 10,
    NoColorRegion = 11,
    ProgressFirstOperation = 12, // operations 0 to 5 use 12 to 17
    NoCropFrame = 18,
    ProgressCrop = 19,
    ProgressGrey = 20,
    ProgressRotate = 21,
    ProgressResize = 22,
    ProgressPanorama = 23,
    CollectionReadError = 24,
    CollectionWriteError = 25,
    ImageSaveFailed = 26,
    ScannerFailed = 27,
    PrinterMissing = 28,
    PrintFailed = 29,
    ExampleSaveFailed = 30,
    ExampleLoadFailed = 31,
    InvalidParameters = 32,
    FileNotFound = 33,
    RepeatNotAvailable = 34,
    ErrorCaption = 35,
    InformationCaption = 36,
    WarningCaption = 37,
    NotACollection = 38,
    CollectionVersion = 39,
    ExampleCaption = 40,
    NotAnExample = 41,
    ExampleVersion = 42,
    ExampleDamaged = 43,
    PanoramaNeedsPicture = 44,
    SaveExampleQuestion = 45,
    ExampleRecording = 46,
    CloseWindowsForRecording = 47,
    ExampleMissing = 48,
    CloseWindowsForExample = 49,
    WindowTooSmall = 50,
    FewColors = 51,
    NoMail = 52,
    MailFailed = 53,
    ExampleFinished = 54,
    ClipboardBusy = 55,
    NoScanner = 56,
    OutOfMemory = 57,
    Not24Bit = 58,
    Loading = 59,
    Printing = 60,
    Saving = 61,
    Close = 62,
    Help = 63,
    Cancel = 64,
    Yes = 65,
    No = 66,
    Next = 67,
    Start = 68,
    Width = 69,
    Height = 70,
    Resolution = 71,
    Position = 72,
    Millimetres = 73,
    Size = 74,
    Inches = 75,
    Pixels = 76,
    Bits = 77,
    SaveBeforeSending = 78,
    OK = 79,
    BreakExample = 80,
    Break = 81,
    Continue = 82,
    HelpBack = 83,
    HelpForward = 84,
    HelpContents = 85,
    IncompletePicture = 86,
    NothingToCorrect = 87,
};
} // namespace common_text
