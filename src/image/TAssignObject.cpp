#include "image/TAssignObject.h"

#include "image/EImageError.h"

namespace image {

namespace {

// The pair (source, target) whose assignment is being handed from one side
// to the other. Reaching the base again with the same pair means neither
// side knows how.
thread_local const TAssignObject* t_source = nullptr;
thread_local const TAssignObject* t_target = nullptr;

struct Handover {
    const TAssignObject* oldSource = t_source;
    const TAssignObject* oldTarget = t_target;
    Handover(const TAssignObject* s, const TAssignObject* t) {
        t_source = s;
        t_target = t;
    }
    ~Handover() {
        t_source = oldSource;
        t_target = oldTarget;
    }
};

[[noreturn]] void CannotAssign(const TAssignObject& source, const TAssignObject& target) {
    throw EImageError("Cannot assign " + source.ClassName() + " to " + target.ClassName());
}

} // namespace

void TAssignObject::Assign(const TAssignObject& source) {
    if (t_source == &source && t_target == this) CannotAssign(source, *this);
    Handover h(&source, this);
    source.AssignTo(*this);
}

void TAssignObject::AssignTo(TAssignObject& dest) const {
    if (t_source == this && t_target == &dest) CannotAssign(*this, dest);
    Handover h(this, &dest);
    dest.Assign(*this);
}

} // namespace image
