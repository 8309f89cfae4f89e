// Which clock the microsecond count runs on: the performance counter, unless the multimedia timer proves
// to change more often.
#pragma once

// Starts the multimedia timer's finest period and tests both clocks; returns the finest period.
unsigned StartTimers();
// Ends the finest period begun by StartTimers.
void EndTimers(unsigned finestPeriod);
