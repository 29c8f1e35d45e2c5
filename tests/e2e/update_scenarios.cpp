#include "update_scenarios.h"

#include <cstdint>

#include "program_under_test.h"
#include "tools/mkimage/image_maker.h"

namespace e2e {
namespace {

// Every scenario flashes the smallest image that passes the start-up check.
const std::string LENGTH = std::to_string(MIN_PASSING_IMAGE_SIZE);
constexpr uint64_t BLOCK = 4000;
// Replies of the handset before the echo of the national-code write: 50 syncs
// of 3, the read's 3, the erase's 2 + 11 progress bytes + A5, one ack a full
// block, the final reply.
const std::string WRITE_ECHO = std::to_string(150 + 3 + 14 + MIN_PASSING_IMAGE_SIZE / BLOCK + 1);

template <class T> std::vector<T> operator+(std::vector<T> a, const std::vector<T>& b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

const std::vector<Log_Line> SEARCH = {Line("開啟檔案完成"), Line("自動尋找COM,....請稍後"),
                                      Line("此程序可能需要30秒時間,請耐心等候!!")};
std::vector<Log_Line> Found(int port) { return {Line("找到COM" + std::to_string(port))}; }
const std::vector<Log_Line> ERASE_BEGUN = {Timed("清除FLASH開始: ")};
const std::vector<Log_Line> SENT = {Timed("清除FLASH結束: "), Timed("開始傳送檔案: "), Timed("結束傳送檔案: ")};
std::vector<Log_Line> Whole_Update(int port) { return SEARCH + Found(port) + ERASE_BEGUN + SENT; }

const std::string DONE = "更新完成.                    ";
const std::string FAILED = "更新失敗.                    ";

std::vector<std::string> Read(const char* code) { return {"sync count=50", std::string("national_read code=") + code}; }
const std::vector<std::string> ERASE = {"erase length=" + LENGTH, "erase_end ok=true"};
const std::vector<std::string> TRANSFER = {"transfer length=" + LENGTH + " block=4000"};
const std::vector<std::string> IMAGE_OK = {"image length=" + LENGTH + " ok=true"};
const std::vector<std::string> FINISH = {"finish"};
const std::vector<std::string> WRITE_0 = {"national_write code=0x00"};
// The sync, the read's command and handshake: all that a rejected code lets through.
constexpr int SYNC_AND_READ_BYTES = 50 * 4 + 3;

std::vector<std::string> Sim(int port, std::vector<std::string> more = {})
{
    return std::vector<std::string>{"--port", std::to_string(port), "--register"} + more;
}

Update_Run Good_Run(Handset handset, std::vector<std::string> sim = Sim(7), int port = 7)
{
    return {.handset = handset,
            .sim = sim,
            .log = Whole_Update(port),
            .boxes = {DONE},
            .exchanges = Read("0x00") + ERASE + TRANSFER + IMAGE_OK + FINISH,
            .flashed = Flashed::Image};
}

Update_Run Code_FE_Run(std::vector<std::string> sim, const char* read_event)
{
    return {.sim = sim,
            .log = {Line("SetNationalCode OK!!!")},
            .boxes = {DONE},
            .exchanges = std::vector<std::string>{"sync count=50", read_event} + ERASE + TRANSFER + IMAGE_OK +
                         WRITE_0 + FINISH,
            .flashed = Flashed::Image};
}

Update_Run Rejected_Code_Run(const char* code, const char* log_line, const std::string& box)
{
    return {.sim = Sim(7, {"--national", code}),
            .log = SEARCH + Found(7) + std::vector<Log_Line>{Line(log_line)},
            .boxes = {box},
            .end = End::Exited,
            .port = Port::Open,
            .exchanges = Read(code),
            .received = SYNC_AND_READ_BYTES};
}

Update_Run Refused_Image_Run(Preparation setup, const std::string& box)
{
    return {.sim = Sim(7),
            .setup = setup,
            .log = {},
            .boxes = {box},
            .port = Port::Untouched,
            .exchanges = {},
            .received = 0};
}

} // namespace

std::vector<Scenario> Update_Scenarios()
{
    return {
        {"Code00_FlashesTheImageByteForByte",
         // Plugged in while the search already runs, as the instructions say.
         {Good_Run(Handset::New, Sim(7, {"--plug-after", "1500"}))}},
        {"CodeFE_WritesZeroAfterTheImage", {Code_FE_Run(Sim(7, {"--national", "0xFE"}), "national_read code=0xFE")}},
        {"CodeFE_FailedWriteStillFinishes",
         {{.sim = Sim(7, {"--national", "0xFE", "--fault", "garbage=0x00@" + WRITE_ECHO}),
           .log = {Line("SetNationalCode Error !!!")},
           .boxes = {DONE},
           .exchanges = Read("0xFE") + ERASE + TRANSFER + IMAGE_OK +
                        std::vector<std::string>{"fault fault=garbage"} + FINISH,
           .flashed = Flashed::Image}}},
        {"CodeFE_FailedTransferStillWritesZero",
         {{.sim = Sim(7, {"--national", "0xFE", "--fault", "block-nack=1"}),
           .log = {Line("SetNationalCode OK!!!")},
           .boxes = {FAILED},
           .exchanges = Read("0xFE") + ERASE + TRANSFER + std::vector<std::string>{"fault fault=block-nack"} +
                        WRITE_0 + FINISH,
           .flashed = Flashed::Part}}},
        {"CodeFF_EndsTheProcess",
         {Rejected_Code_Run("0xFF", "System Error: GetNationalCode TW error !!!",
                            "檢查到手機國碼是空的,請移除USB線和手機電池重新開機!!")}},
        {"Code01_EndsTheProcess",
         {Rejected_Code_Run("0x01", "System Error: GetNationalCode TW Error !!!",
                            "偵測到錯誤!\n請檢查您的手機是否為X7Q2台灣中文版.\n請移除USB線和手機電池重新開機!!")}},
        {"QueryFailsInTheFirstRun_GoesOnAs00",
         {{.sim = Sim(7, {"--fault", "no-national-reply"}),
           .log = SEARCH + Found(7) + std::vector<Log_Line>{Line("GetNationalCode Error !!!")} + ERASE_BEGUN + SENT,
           .boxes = {DONE},
           .exchanges = std::vector<std::string>{"sync count=50", "fault fault=no-national-reply"} + ERASE +
                        TRANSFER + IMAGE_OK + FINISH,
           .flashed = Flashed::Image}}},
        {"QueryFailsAfterAnFERun_GoesOnAsFE",
         {Code_FE_Run(Sim(7, {"--national", "0xFE"}), "national_read code=0xFE"),
          Code_FE_Run(Sim(7, {"--fault", "no-national-reply"}), "fault fault=no-national-reply")}},
        {"EraseFails_PortLeftOpen_NextClickFindsTheHandset",
         {{.sim = Sim(7, {"--fault", "erase-fail"}),
           .log = SEARCH + Found(7) + ERASE_BEGUN,
           .boxes = {"清除FLASH 失敗."},
           .port = Port::Open,
           .exchanges = Read("0x00") + std::vector<std::string>{"erase length=" + LENGTH, "fault fault=erase-fail",
                                                                "erase_end ok=false"}},
          Good_Run(Handset::Same)}},
        {"TransferFails_FinishStillSentAfterThePause",
         {{.sim = Sim(7, {"--fault", "block-nack=2"}),
           .log = Whole_Update(7),
           .boxes = {FAILED},
           .exchanges = Read("0x00") + ERASE + TRANSFER + std::vector<std::string>{"fault fault=block-nack"} + FINISH,
           .flashed = Flashed::Part}}},
        {"SerialPortKeyMissing_ButtonStaysDisabled",
         {{.handset = Handset::None,
           .setup = Preparation::Remove_Key,
           .log = SEARCH + std::vector<Log_Line>{Line("找不到COM.")},
           .boxes = {" Enumerate COM port fail! "},
           .end = End::Disabled,
           .port = Port::None}}},
        {"ExitDuringTheSearch",
         {{.handset = Handset::None,
           .user = User::Exit_During_Search,
           .log = SEARCH,
           .end = End::Exited,
           .port = Port::None}}},
        {"ExitDuringTheTransfer",
         // A paced line, so that the transfer lasts.
         {{.sim = Sim(7, {"--baud", "115200"}),
           .user = User::Exit_During_Transfer,
           .log = SEARCH + Found(7) + ERASE_BEGUN + std::vector<Log_Line>{SENT[0], SENT[1]},
           .end = End::Exited,
           .port = Port::Abandoned,
           .exchanges = Read("0x00") + ERASE + TRANSFER + std::vector<std::string>{"abandoned"},
           .flashed = Flashed::Part}}},
        {"TwoRunsInARowOnCOM12", {Good_Run(Handset::New, Sim(12), 12), Good_Run(Handset::Same, {}, 12)}},
        {"ImageDeletedAfterStartUp_NothingSent",
         {Refused_Image_Run(Preparation::Delete_Image, std::string("Open file:") + IMAGE_NAME + " error!")}},
        {"ImageReplacedAfterStartUp_NothingSent", {Refused_Image_Run(Preparation::Spoil_Image, "BIN files Error")}},
    };
}

} // namespace e2e
