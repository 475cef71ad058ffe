#include "shell/StateDump.h"

#include "engine/ImageList.h"
#include "platform/Memory.h"
#include "platform/Platform.h"
#include "shell/MainForm.h"

namespace {

using nlohmann::json;

std::string Utf8(const std::string& cp1251) {
    return platform::Cp1251ToUtf8(cp1251);
}

json Entry(const TScoreEntry& entry) {
    return json{{"Name", Utf8(entry.Name.Text())}, {"Score", entry.Score}};
}

void DumpSprites(TSprite& parent, json& out) {
    for (int i = 0; i < parent.Count(); ++i) {
        TSprite* sprite = parent.Items(i);
        json item;
        item["class"] = sprite->ClassName();
        const TPictureCollectionItem* image = sprite->DumpImage();
        if (image == nullptr) {
            item["image"] = nullptr;
        } else if (!image->Name().empty()) {
            item["image"] = image->Name();
        } else {
            item["image"] = image->Index();
        }
        item["X"] = sprite->X;
        item["Y"] = sprite->Y;
        item["Z"] = sprite->Z();
        item["Width"] = sprite->Width;
        item["Height"] = sprite->Height;
        item["Visible"] = sprite->Visible;
        item["Dead"] = sprite->Deaded();
        const auto* imageSprite = dynamic_cast<const TImageSprite*>(sprite);
        item["AnimPos"] = imageSprite != nullptr ? imageSprite->AnimPos : 0;
        if (const auto kind = sprite->DumpKind()) {
            item["Kind"] = *kind;
        }
        out.push_back(std::move(item));
        DumpSprites(*sprite, out);
    }
}

} // namespace

json DumpState(TmainForm& form, std::uint32_t tick) {
    json state;
    state["tick"] = tick;
    state["memory"] = {{"resident", platform::ResidentBytes()}};
    state["GameState"] = form.GameState;
    state["MenuScreen"] = form.MenuScreen;
    state["Selected"] = form.Selected;
    state["MainSelected"] = form.MainSelected;
    state["MainHover"] = form.MainHover;
    state["Hover"] = form.Hover;
    state["EditMode"] = form.EditMode;
    state["HelpPage"] = form.HelpPage;
    state["MessageTimer"] = form.MessageTimer;
    state["SavedState"] = form.SavedState;
    state["SavedScreen"] = form.SavedScreen;
    state["PauseState"] = form.PauseState;
    state["KeyLatch"] = form.KeyLatch;
    state["CloseConfirmed"] = form.CloseConfirmed;
    state["BlinkCounter"] = form.BlinkCounter;
    state["SongHandle"] = form.SongHandle;
    state["timer1"] = form.DXTimer1->Enabled();
    state["timer2"] = form.DXTimer2->Enabled();
    state["MouseLeft"] = form.MouseLeft;
    state["MouseRight"] = form.MouseRight;
    state["MouseUp"] = form.MouseUp;
    state["MouseDown"] = form.MouseDown;
    state["LeftButton"] = form.LeftButton;
    state["RightButton"] = form.RightButton;
    std::vector<int> input;
    for (int s = isUp; s <= isButton32; ++s) {
        if (form.DXInput1->States.test(static_cast<std::size_t>(s))) {
            input.push_back(s);
        }
    }
    state["inputStates"] = input;

    const TConfigRecord& config = form.ConfigRecord;
    json scores = json::array();
    for (const TScoreEntry& entry : config.ScoreTable) {
        scores.push_back(Entry(entry));
    }
    state["config"] = json{{"Windowed", config.Windowed},
                           {"MusicOn", config.MusicOn},
                           {"SoundOn", config.SoundOn},
                           {"BossKey", config.BossKey},
                           {"Country", Utf8(config.Country.Text())},
                           {"Scores", scores},
                           {"BossKeyName", Utf8(form.BossKeyName)},
                           {"NewEntry", Entry(form.NewEntry)}};
    // Also at the top level, where earlier dumps had them.
    state["BossKeyName"] = Utf8(form.BossKeyName);
    state["NewEntry"] = Entry(form.NewEntry);

    form.DumpGameState(state);

    json sprites = json::array();
    DumpSprites(form.DXSpriteEngine1->Engine(), sprites);
    state["sprites"] = std::move(sprites);
    return state;
}
