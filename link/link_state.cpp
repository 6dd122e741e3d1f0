#include "link_state.h"

LinkState link_state;
