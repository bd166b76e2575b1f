// Thread priorities of the thread library, with the values of Win32.
#pragma once

enum EThreadPriority {
    eThreadPriorityIdle = -15,
    eThreadPriorityLowest = -2,
    eThreadPriorityBelowNormal = -1,
    eThreadPriorityNormal = 0,
    eThreadPriorityAboveNormal = 1,
    eThreadPriorityHighest = 2,
    eThreadPriorityTimeCritical = 15,
};
