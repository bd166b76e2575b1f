// The preview thread: copy the live picture, render it, draw it in place.
#include "KyCPreview.h"

#include <chrono>

#include "KyCConsole.h"
#include "KyCFieldBase.h"
#include "KyCLiveDisplay.h"
#include "KyCPreviewRenderer.h"

KyCPreview::KyCPreview(KyCConsole& console, KyCLiveDisplay& display)
    : m_Console(console), m_Display(display) {}

KyCPreview::~KyCPreview() {
    Stop();
}

bool KyCPreview::Start(KyCSize2 cameraSize, int nColumns) {
    if (!m_Console.IsTerminal() || nColumns <= 0)
        return false;
    std::lock_guard<std::mutex> lock(m_Mutex);
    if (m_Thread.joinable())
        return true;
    m_Console.BeginPreview(KyCPreviewRenderer::RowsFor(cameraSize, nColumns));
    m_bStop = false;
    m_Thread = std::thread(&KyCPreview::threadLoop, this, nColumns);
    return true;
}

void KyCPreview::Stop() {
    std::thread thread;
    {
        std::lock_guard<std::mutex> lock(m_Mutex);
        m_bStop = true;
        thread = std::move(m_Thread);
    }
    m_StopRequested.notify_all();
    if (!thread.joinable())
        return;
    thread.join();
    m_Console.EndPreview();
}

unsigned KyCPreview::GetPicturesDrawn() const {
    std::lock_guard<std::mutex> lock(m_Mutex);
    return m_nDrawn;
}

void KyCPreview::threadLoop(int nColumns) {
    unsigned nLastShown = 0;
    KyCFieldBase picture;
    for (;;) {
        {
            std::unique_lock<std::mutex> lock(m_Mutex);
            if (m_StopRequested.wait_for(lock, std::chrono::milliseconds(kRefreshMs),
                                         [&] { return m_bStop; }))
                return;
        }
        const unsigned nShown = m_Display.GetPicturesShown();
        if (nShown == nLastShown || !m_Display.CopyPicture(picture))
            continue;
        nLastShown = nShown;
        const KyCSize2 size = picture.Size();
        m_Console.DrawPreview(KyCPreviewRenderer::Render(picture, nColumns),
                              "live view " + std::to_string(size.nWidth) + "x" +
                                  std::to_string(size.nHeight) + ", picture " +
                                  std::to_string(nShown) + " of the live display");
        std::lock_guard<std::mutex> lock(m_Mutex);
        ++m_nDrawn;
    }
}
