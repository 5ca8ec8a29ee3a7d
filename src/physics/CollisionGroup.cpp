#include "physics/CollisionGroup.h"

PairKind gameFilterShader(const FilterObject& a, const FilterObject& b) {
    if (a.trigger || b.trigger) {
        return PairKind::Trigger;
    }
    if ((a.data.word0 & b.data.word1) != 0 && (b.data.word0 & a.data.word1) != 0) {
        return PairKind::Contact;
    }
    return PairKind::Dropped;
}
