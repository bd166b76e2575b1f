#include "CyMessage.h"

CyMessage::~CyMessage() = default;
CyMessageWorkflowAction::~CyMessageWorkflowAction() = default;
