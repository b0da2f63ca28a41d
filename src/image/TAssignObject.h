#pragma once
// Base of objects that copy themselves from and to each other. Assign asks
// the source to assign itself to this object and AssignTo asks the target to
// assign from this one, so either side may know how; when neither does, the
// pair raises EImageError "Cannot assign <source class> to <target class>"
// (instead of bouncing between the two for ever).

#include <string>

namespace image {

class TAssignObject {
public:
    TAssignObject() = default;
    TAssignObject(const TAssignObject&) = delete;
    TAssignObject& operator=(const TAssignObject&) = delete;
    virtual ~TAssignObject() = default;

    // The class name used in error texts.
    virtual std::string ClassName() const { return "TAssignObject"; }
    // Copies `source` into this object.
    virtual void Assign(const TAssignObject& source);
    // Copies this object into `dest`.
    virtual void AssignTo(TAssignObject& dest) const;
};

} // namespace image
