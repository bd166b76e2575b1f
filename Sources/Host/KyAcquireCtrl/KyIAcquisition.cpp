#include "KyIAcquisition.h"

KyIAcquisition::~KyIAcquisition() = default;
