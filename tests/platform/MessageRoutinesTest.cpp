#include "platform/MessageRoutines.h"
#include "support/MessageRecorder.h"

#include <gtest/gtest.h>

using namespace platform;

TEST(MessageRoutines, UnboundRoutinesWriteTheTextToStderrAndAnswerNothing) {
    const TMessageRoutines previous = BindMessageRoutines({});
    testing::internal::CaptureStderr();
    EXPECT_EQ(ShowInfoMessage("Поиск завершен."), mrNone);
    EXPECT_EQ(ShowMessageQuery("Выйти?", TMsgDlgType::mtInformation, {TMsgDlgBtn::mbYes, TMsgDlgBtn::mbNo}),
              mrNone);
    EXPECT_EQ(MessageDlgEx("Удалить?"), mrNone);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "Поиск завершен.\nВыйти?\nУдалить?\n");
    BindMessageRoutines(previous);
}

TEST(MessageRoutines, BoundRoutinesGetTheArgumentsAndTheirAnswersComeBack) {
    testsupport::MessageRecorder recorder;
    recorder.SetAnswer(mrNo);
    EXPECT_EQ(ShowInfoMessage("Не задано имя сервера"), mrOk);
    EXPECT_EQ(ShowMessageQuery("Выйти?", TMsgDlgType::mtInformation, {TMsgDlgBtn::mbYes, TMsgDlgBtn::mbNo}), mrNo);
    EXPECT_EQ(MessageDlgEx("Удалить?"), mrNo);
    ASSERT_EQ(recorder.Calls().size(), 3u);
    EXPECT_EQ(recorder.Texts(), (std::vector<std::string>{"Не задано имя сервера", "Выйти?", "Удалить?"}));
    EXPECT_EQ(recorder.Calls()[1].kind, testsupport::MessageRecorder::Kind::Query);
    EXPECT_EQ(recorder.Calls()[1].type, TMsgDlgType::mtInformation);
    EXPECT_EQ(recorder.Calls()[1].buttons, (TMsgDlgButtons{TMsgDlgBtn::mbYes, TMsgDlgBtn::mbNo}));
}

TEST(MessageRoutines, RecordersNestAndPutBackWhatWasBound) {
    testsupport::MessageRecorder outer;
    {
        testsupport::MessageRecorder inner;
        ShowInfoMessage("inner");
        EXPECT_EQ(inner.Texts(), std::vector<std::string>{"inner"});
    }
    ShowInfoMessage("outer");
    EXPECT_EQ(outer.Texts(), std::vector<std::string>{"outer"});
}

TEST(MessageRoutines, ARoutineMayRebindWhileItRuns) {
    testsupport::MessageRecorder restore;
    int calls = 0;
    BindMessageRoutines({[&calls](const std::string& msg) {
                             // Replacing the routines destroys the bound copy of this lambda.
                             BindMessageRoutines({});
                             ++calls;
                             return msg == "first" ? mrOk : mrAbort;
                         },
                         {},
                         {}});
    EXPECT_EQ(ShowInfoMessage("first"), mrOk);
    EXPECT_EQ(calls, 1);
    testing::internal::CaptureStderr();
    EXPECT_EQ(ShowInfoMessage("second"), mrNone);
    testing::internal::GetCapturedStderr();
}
