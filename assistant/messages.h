// Every text the module shows or hands to the window system, as the user sees it. A '\r' breaks a
// message box's text into lines.
#pragma once

#include <array>
#include <cstddef>

namespace assistant {

inline constexpr char kSetupText[] = "No configuration is required for this assistant.";
inline constexpr char kSetupCaption[] = "Message";

inline constexpr char kDialogErrorFormat[] = "Error #%ld occurred.";
inline constexpr char kDialogErrorCaption[] = "ERROR";

inline constexpr char kOpenErrorFormat[] = "Error opening library/catalogue file: %s.";
inline constexpr char kOpenErrorCaption[] = "File Error";

inline constexpr char kUnknownFormatText[] =
    "Unknown Format,Please contact technical support.Please include the name of the library "
    "file,the name of the file you were attempting to extract and which forum you obtained it "
    "from.";
inline constexpr char kUnknownFormatCaption[] = "Library Format Unknown";

inline constexpr char kNotFoundText[] = "Could not find named file in Library/Catalog";
inline constexpr char kNotFoundCaption[] = "Warning";

inline constexpr char kGuessQuestionFormat[] =
    "Possible Title Found: \r********\r%s\r********\rThis seems to be either a Catalog with only "
    "Title information \rOR the file name has been mentioned in a related abstract \rand requires "
    "further searching.\rContinue Searching Catalog ?";
inline constexpr char kGuessQuestionCaption[] = "Question";

// The host setting that names the dialog's starting directory.
inline constexpr char kSettingSection[] = "Download Directorys";
inline constexpr char kSettingEntry[] = "Area One";

inline constexpr char kDialogTitle[] = "Load Library/catalogue File";
inline constexpr char kDefaultExtension[] = "CAT";

// The dialog's filters, written as one text with '|' between descriptions and patterns.
inline constexpr char kFilterText[] =
    "Catalog Files (*.CAT)|*.CAT|Recent Uploads (*.NEW) |*.NEW|Summaries (*.SUM) |*.SUM|"
    "All Files (*.*) |*.*|Text (*.TXT) |*.TXT|";

// The filter list as the dialog takes it: every '|' a zero byte, so the list ends with an empty
// text (the literal's own terminator makes the second zero).
inline constexpr auto kFilterList = [] {
  std::array<char, sizeof kFilterText> list{};
  for (std::size_t i = 0; i < sizeof kFilterText; ++i) {
    list[i] = kFilterText[i] == '|' ? '\0' : kFilterText[i];
  }
  return list;
}();

}  // namespace assistant
