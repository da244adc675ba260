// Rewrites the closed output file with its lines in the order of the sort keys.
#ifndef KORVEN_RUN_OUTPUT_SORT_H_
#define KORVEN_RUN_OUTPUT_SORT_H_

namespace korven {

struct Run;

// Reports "SORTING OUTPUT" and sorts the output file in place; a file that
// cannot be opened or read for sorting ends the run with reason 2.
void SortOutputFile(Run& run);

}  // namespace korven

#endif  // KORVEN_RUN_OUTPUT_SORT_H_
