// The live encoder thread.
#include "KyCServeLive.h"

#include <memory>
#include <string>

#include "KyCFieldBase.h"
#include "KyCLiveDisplay.h"
#include "KyCServeJpeg.h"

namespace {

const unsigned kWaitMs = 100;

}  // namespace

KyCServeLive::KyCServeLive(KyCLiveDisplay& display) : m_Display(display) {}

KyCServeLive::~KyCServeLive() {
    Stop();
}

void KyCServeLive::Start() {
    if (m_Thread.joinable())
        return;
    m_bStop = false;
    m_Thread = std::thread(&KyCServeLive::threadLoop, this);
}

void KyCServeLive::Stop() {
    m_bStop = true;
    m_Frames.Close();
    if (m_Thread.joinable())
        m_Thread.join();
}

void KyCServeLive::threadLoop() {
    KyCFieldBase picture;
    unsigned nLastShown = m_Display.GetPicturesShown();
    while (!m_bStop) {
        if (!m_Frames.WaitForReaders(kWaitMs))
            continue;
        if (!m_Display.WaitForPicture(nLastShown + 1, kWaitMs))
            continue;
        nLastShown = m_Display.GetPicturesShown();
        if (!m_Display.CopyPicture(picture))
            continue;
        auto pJpeg = std::make_shared<std::string>();
        if (!KyCServeJpeg::EncodeTopFirst(picture, kQuality, *pJpeg))
            continue;
        ++m_nEncoded;
        m_Frames.Publish(std::move(pJpeg));
    }
}
