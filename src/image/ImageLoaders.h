#pragma once
// Start-up registration of the image library's format loaders. Loaders are
// registered by this explicit call (a static registrar in a static library
// would be dropped by the linker), in the program's order: GIF, PNG/MNG, JPEG.

namespace image {

// Registers every format loader once; later calls do nothing.
void RegisterImageLoaders();

} // namespace image
