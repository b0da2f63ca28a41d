#pragma once
// Start-up registration of the image library's graphics with the picture
// holder (platform::TPicture), so that any picture of the program loads
// ".png", ".mng", ".jpg", ".jpeg" and ".gif" files.

namespace image {

// Registers the formats once; later calls do nothing. Loading goes through
// the loader registry, so RegisterImageLoaders must have run as well.
void RegisterPictureFormats();

} // namespace image
