#pragma once

namespace vex {

class Competition;

// Makes target hold what source holds: the class list and every page's rows,
// caption and tab. Loaders read into a competition of their own and hand it
// over this way only when reading succeeded.
void copyCompetition(const Competition &source, Competition &target);

} // namespace vex
