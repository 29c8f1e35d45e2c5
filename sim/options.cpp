#include "options.h"

#include <cstdlib>
#include <functional>
#include <map>
#include <optional>

#include "byte_list.h"

namespace x7sim {
namespace {

std::string EnvOr(const char* name, const std::string& fallback)
{
    const char* value = getenv(name);
    return value && *value ? value : fallback;
}

}  // namespace

const char* UsageText()
{
    return R"(Usage: x7sim --port N [options]

Plays the X7Q2 handset's boot loader on a pseudo-terminal and shows it to Wine
as serial port COM<N> through the link PORTS_DIR/com<N>.

Where it appears:
  --port N               COM port number (1..255), required
  --ports-dir DIR        folder of the com<N> links (default: $X7_PORTS_DIR)
  --register             while plugged in, also list the port under
                         HKLM\HARDWARE\DEVICEMAP\SERIALCOMM ("\Device\X7Sim<N>" = "COM<N>")
  --wineprefix DIR       prefix for --register (default: $WINEPREFIX)
  --wine PATH            Wine loader for --register (default: /usr/lib/wine/wine64)
  --plug-after MS        plug in only MS milliseconds after start (default 0)
  --stale HEX            bytes already on the line when it is plugged in

How it behaves:
  --baud B               pace the line at B baud, 10 bit times a byte, both ways
                         (default 0: unpaced)
  --national HEX         national code reported by the read command (default 0x00)
  --erase LIST           erase progress bytes, comma-separated, decimal or 0x..
                         (default 0,10,20,30,40,50,60,70,80,90,100; may be empty)
  --erase-ms MS          duration of the erase, spread over the progress bytes (default 0)
  --filler N             N filler bytes (0x55) before each block ack and the final reply
  --block N              the host's block size in bytes (default 4000)
  --transfer-only        no commands: expect image transfers (length, data,
                         checksum) one after another, each as if an erase preceded it
  --silent               never send anything (a port without a boot loader)
  --fault FAULT          play a fault once; repeatable:
      erase-fail[=HEX]     half way through the erase, this byte (default 0xEE) and no 0xA5
      block-nack=K         no ack for full block K (0-based): silence
      final-reply=HEX      this byte in place of 0xA5 after the image
      silent-after-sync    answer the sync, then nothing ever again
      hangup-at-block=K    pull the cable as block K starts to arrive
      garbage=HEX[@N]      these bytes in place of reply N (0-based, default 0)
      no-national-reply    handshake the read command, never send the code
      sync-miss=K          leave out the 0xAA of sync exchange K (0-based)
      late=MS@N            reply N goes out MS ms late
      flood=COUNT[:GAP]@N  COUNT filler bytes (0x55) before reply N, GAP ms apart (default 0)
      drop=N               reply N is never sent; a new command is expected
      hangup=N[+MS]        pull the cable in place of reply N, or MS ms after it went out
      mute=N               from reply N on, never send anything again
    Replies are counted from 0 in the order they are sent: echo, 0x5C, then
    0xAA of a sync exchange or the code of a read; an erase's progress bytes
    and 0xA5; one per block ack; the final reply. Fillers are not counted.

Records and control:
  --capture FILE         the image bytes received (the last transfer)
  --transcript FILE      JSON lines; the last is {"event":"stopped","violations":V,...}
  --ready FILE           created once the pty exists (and, without --plug-after,
                         the port is plugged in)
  --stop FILE            stop cleanly once FILE exists (polled every 20 ms)
  --log FILE             append stderr to FILE
  --lifetime S           stop after S seconds whatever happens (default 300)
  --help                 this text

SIGINT, SIGTERM and SIGHUP stop cleanly: the link and the registry value are
removed and the transcript is finished.
Exit status: 0 clean stop without protocol violations, 1 violations seen,
2 usage error, 3 set-up failure (pty, link, registry, files).
)";
}

bool ParseOptions(const std::vector<std::string>& args, SimOptions& o, std::string& error)
{
    o.ports_dir = EnvOr("X7_PORTS_DIR", "");
    o.wineprefix = EnvOr("WINEPREFIX", "");
    bool have_port = false;

    auto number = [&](const std::string& name, const std::string& text, uint64_t max, auto& out) {
        auto n = ParseNumber(text, max);
        if (!n) {
            error = name + " needs a whole number from 0 to " + std::to_string(max) + ", not \"" + text + "\"";
            return false;
        }
        out = static_cast<std::remove_reference_t<decltype(out)>>(*n);
        return true;
    };
    auto path = [&](const std::string& name, const std::string& text, std::string& out) {
        if (text.empty()) {
            error = name + " needs a path";
            return false;
        }
        out = text;
        return true;
    };

    using Handler = std::function<bool(const std::string& name, const std::string& value)>;
    const std::map<std::string, Handler> with_value = {
        {"--port", [&](auto& n, auto& v) {
             if (!number(n, v, 255, o.port)) return false;
             if (o.port == 0) {
                 error = "--port must be 1 to 255";
                 return false;
             }
             have_port = true;
             return true;
         }},
        {"--ports-dir", [&](auto& n, auto& v) { return path(n, v, o.ports_dir); }},
        {"--wineprefix", [&](auto& n, auto& v) { return path(n, v, o.wineprefix); }},
        {"--wine", [&](auto& n, auto& v) { return path(n, v, o.wine); }},
        {"--plug-after", [&](auto& n, auto& v) { return number(n, v, 86'400'000, o.plug_after_ms); }},
        {"--baud", [&](auto& n, auto& v) { return number(n, v, 100'000'000, o.baud); }},
        {"--national", [&](auto& n, auto& v) {
             auto b = ParseHexByte(v);
             if (!b) error = n + " needs one hexadecimal byte, e.g. 0xFE";
             else o.device.national = *b;
             return b.has_value();
         }},
        {"--erase", [&](auto& n, auto& v) {
             auto list = ParseByteList(v);
             if (!list) error = n + " needs bytes separated by commas, e.g. 0,50,100";
             else o.device.erase_progress = *list;
             return list.has_value();
         }},
        {"--erase-ms", [&](auto& n, auto& v) {
             int64_t ms = 0;
             if (!number(n, v, 86'400'000, ms)) return false;
             o.device.erase_ns = ms * 1'000'000;
             return true;
         }},
        {"--filler", [&](auto& n, auto& v) { return number(n, v, 1'000'000, o.device.filler); }},
        {"--block", [&](auto& n, auto& v) {
             if (!number(n, v, 16'777'216, o.device.block)) return false;
             if (o.device.block == 0) error = "--block must be at least 1";
             return o.device.block != 0;
         }},
        {"--stale", [&](auto& n, auto& v) {
             auto bytes = ParseHexBytes(v);
             if (!bytes) error = n + " needs hexadecimal bytes, e.g. 0x12,0x34";
             else o.stale = *bytes;
             return bytes.has_value();
         }},
        {"--fault", [&](auto&, auto& v) {
             auto fault = ParseFault(v, error);
             if (fault) o.device.faults.push_back(*fault);
             return fault.has_value();
         }},
        {"--capture", [&](auto& n, auto& v) { return path(n, v, o.capture); }},
        {"--transcript", [&](auto& n, auto& v) { return path(n, v, o.transcript); }},
        {"--ready", [&](auto& n, auto& v) { return path(n, v, o.ready); }},
        {"--stop", [&](auto& n, auto& v) { return path(n, v, o.stop); }},
        {"--log", [&](auto& n, auto& v) { return path(n, v, o.log); }},
        {"--lifetime", [&](auto& n, auto& v) {
             if (!number(n, v, 86'400, o.lifetime_s)) return false;
             if (o.lifetime_s == 0) error = "--lifetime must be at least 1";
             return o.lifetime_s != 0;
         }},
    };
    const std::map<std::string, bool*> flags = {
        {"--register", &o.register_port},
        {"--transfer-only", &o.device.transfer_only},
        {"--silent", &o.device.silent},
        {"--help", &o.help},
    };

    for (size_t i = 0; i < args.size(); ++i) {
        std::string name = args[i];
        std::optional<std::string> value;
        if (size_t eq = name.find('='); name.rfind("--", 0) == 0 && eq != std::string::npos) {
            value = name.substr(eq + 1);
            name.resize(eq);
        }
        if (auto f = flags.find(name); f != flags.end()) {
            if (value) {
                error = name + " takes no value";
                return false;
            }
            *f->second = true;
            continue;
        }
        auto h = with_value.find(name);
        if (h == with_value.end()) {
            error = "unknown option \"" + args[i] + "\"";
            return false;
        }
        if (!value) {
            if (i + 1 >= args.size()) {
                error = name + " needs a value";
                return false;
            }
            value = args[++i];
        }
        if (!h->second(name, *value)) return false;
    }

    if (o.help) return true;
    if (!have_port) {
        error = "--port is required";
        return false;
    }
    if (o.ports_dir.empty()) {
        error = "no ports folder: give --ports-dir or set X7_PORTS_DIR";
        return false;
    }
    if (o.register_port && o.wineprefix.empty()) {
        error = "--register needs a Wine prefix: give --wineprefix or set WINEPREFIX";
        return false;
    }
    if (o.device.transfer_only && o.device.silent) {
        error = "--transfer-only and --silent exclude each other";
        return false;
    }
    return true;
}

}  // namespace x7sim
