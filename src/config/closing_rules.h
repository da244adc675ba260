// What the settings imply once every source has been read.
#ifndef KORVEN_CONFIG_CLOSING_RULES_H_
#define KORVEN_CONFIG_CLOSING_RULES_H_

namespace korven {

struct Run;

// Applied once, after the last argument. Ends the run with reason 5 when
// the settings contradict each other.
void ApplyClosingRules(Run& run);

}  // namespace korven

#endif  // KORVEN_CONFIG_CLOSING_RULES_H_
