#include <cstdint>
#include <string>

#include "discovery/enum_ports.h"
#include "serial/comport.h"
#include "ui_texts.h"
#include "vcl/application.h"
#include "vcl/dialogs.h"

namespace {

constexpr uint16_t SEARCH_ROOM = 255;
constexpr uint32_t PASS_PAUSE_MS = 100;
// The pause between passes is cut into slices with the window serviced before
// each, so that the window stays alive (the exit button included) while no
// listed port opens; the pause stays 100 ms in all.
constexpr uint32_t PAUSE_SLICE_MS = 20;

void Pause_Serviced(CComport& com, uint32_t ms)
{
    for (uint32_t left = ms; left > 0;) {
        uint32_t slice = left < PAUSE_SLICE_MS ? left : PAUSE_SLICE_MS;
        Application->ProcessMessages();
        com.Delay(slice);
        left -= slice;
    }
}

} // namespace

// Polls the listed ports until a boot loader answers the sync. The handset's
// port appears in the registry only once it is plugged in with its key held,
// so the list is read afresh on every pass and the search has no time limit.
bool CComport::Find_Device_Port(uint16_t& port)
{
    uint16_t ports[SEARCH_ROOM];
    uint16_t count = 0;

    Progress_Begin(100);
    for (;;) {
        Pause_Serviced(*this, PASS_PAUSE_MS);
        Progress_Step(1);

        count = SEARCH_ROOM;
        int result = Enum_Com_Ports(ports, &count);
        if (result == ENUM_NO_PORTS) {
            count = 0;
        } else if (result != ENUM_OK) {
            ShowMessage(ui_text::ENUMERATE_COM_PORT_FAIL);
            return false;
        }

        for (uint8_t index = 0; index < count; ++index) {
            // "\\.\" reaches COM10 and above too.
            if (!Open_Port("\\\\.\\COM" + std::to_string(ports[index]))) continue;
            if (Sync_Target()) {
                port = ports[index];
                return true;
            }
            Close_Port();
        }
    }
}
