// The two station models' dialects.
#include "link/link_dialect.h"

namespace {
const LinkDialect* active = &karvel_link_dialect;
}

const LinkDialect& link_dialect() { return *active; }
void use_link_dialect(const LinkDialect& dialect) { active = &dialect; }

const LinkDialect karvel_link_dialect = {true, 200, 100, false, 48, 17, true, true, 7};
const LinkDialect tomrik_link_dialect = {false, 51, 1000, true, 46, 18, false, false, 4};
