// Everything a host needs: the camera video component and the host layer it runs on.
#pragma once

// Base facilities
#include "CException.h"
#include "CbArray.h"
#include "CbCheckReturn.h"
#include "CbCriticalSection.h"
#include "CbEvent.h"
#include "CbException.h"
#include "CbFunctor.h"
#include "CbReferenceCounter.h"
#include "CbSingleton.h"
#include "CbSmartPointer.h"
#include "IExtensionInterface.h"
#include "IReferenceCounted.h"

// Host libraries
#include "CActiveAcquireDeviceType.h"
#include "CMessageWFARUXStateChanged.h"
#include "CyMessage.h"
#include "ERUXAcquireDevice.h"
#include "IAcquireDisplay.h"
#include "IAcquireDisplaySource.h"
#include "KyCAcquisitionCommon.h"
#include "KyCExceptionRUX.h"
#include "KyCFieldBase.h"
#include "KyCGeometry.h"
#include "KyCJPGCodec.h"
#include "KyCMessageDispatcher.h"
#include "KyCVideoCreator.h"
#include "KyIAcquisition.h"
#include "KyIBitmapWriter.h"

// The component
#include "KyCCameraVideoRecord.h"
#include "KyICameraVideo.h"
