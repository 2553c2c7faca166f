// The bench's picture section: the saver, the dialog and the preview with the
// picture files that once took the program down, and a 50-megapixel photo.
#pragma once

namespace bench {

// Reads the files from the folder ZINDLE_PICTURES (bad_pictures.py --photo).
void PictureSection(int runs);

}  // namespace bench
