#include "image/gif/GIFException.h"

namespace image {

void RaiseGIFError(const std::string& message) { throw GIFException(message); }

} // namespace image
