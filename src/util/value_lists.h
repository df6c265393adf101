#pragma once

namespace quillon::util {

// The entry of an ascending list ended by -1 nearest to value; the lower one at equal distance.
// Without a list (nullptr or an empty one) the value itself.
int NearestListValue(int value, const int* list);

}  // namespace quillon::util
