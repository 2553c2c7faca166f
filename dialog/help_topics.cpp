#include "dialog/help_topics.h"

namespace zindle::dialog {
namespace {

struct Topic {
  int number;
  const char* text;
};

constexpr Topic kTopics[] = {
    {1, "How far the screen is shaken in this direction. Set it with the slider below; the number at the "
        "right shows the value."},
    {2, "The largest distance, in pixels, that a block of the screen is moved in this direction at each "
        "step. 0 keeps this direction still; 10 makes the picture fall apart fastest."},
    {3, "Slow Motion pauses briefly after every step, so that the picture drifts apart slowly."},
    {10, "Unzindle Screen paints the original picture back at regular intervals, after which the zindling "
         "starts again from a clean screen. Without it, the distortion goes on growing."},
    {11, "How often the original picture is painted back, in minutes, in steps of half a minute. Used only "
         "while Unzindle Screen is checked."},
    {12, "Mirror the picture before it is zindled. Not used with a custom picture."},
    {13, "Horizontally mirrors the picture from left to right, Vertically from top to bottom. Check both to "
         "turn it upside down."},
    {20, "How the colours of the screen are treated before the zindling starts. Not used with a custom "
         "picture."},
    {21, "Normal keeps the colours of the screen as they are."},
    {22, "Inverted turns every colour into its opposite, like a photographic negative."},
    {23, "Random inverts the colours or keeps them, by chance, each time the screen saver starts."},
    {24, "Intelligent looks at the screen first and inverts the colours when at least half of it is "
         "brighter than the Analysis Threshold, so that a bright screen turns dark."},
    {25, "Level of Analysis sets the spacing, in pixels, of the points Intelligent looks at. A smaller "
         "spacing looks more closely but takes longer."},
    {26, "Analysis Threshold: the grey that Intelligent compares each point of the screen with. A point "
         "counts as bright when it is brighter than this grey."},
    {27, "Choose the grey for Intelligent: Minimum is a very dark grey, Average a middle grey and Maximum a "
         "very light grey."},
    {30, "Custom zindles a picture file of your choice instead of the screen."},
    {31, "A small preview of the chosen picture, stretched to fit."},
    {32, "The name of the chosen picture file. Rest the pointer on it to see the whole path."},
    {33, "Browse opens a window in which you choose the picture file."},
    {100, "Saves the settings and closes this window. The screen saver uses them from its next start."},
    {101, "Closes this window without saving any changes."},
    {102, "Shows the name and version of the program and how to reach its maker."},
};

}  // namespace

std::string_view HelpTopicText(int topic) {
  for (const Topic& entry : kTopics)
    if (entry.number == topic) return entry.text;
  return {};
}

}  // namespace zindle::dialog
