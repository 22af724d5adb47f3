// Placeholder until the search lands: no move is searched.
#include "search/search.h"

void iterativeDeepening() {}
