// SPDX-FileCopyrightText: 2026 The Cantorel developers
//
// SPDX-License-Identifier: MIT

#pragma once

#include "playlistbuilder.h"
#include "playlisttextedit.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QObject>

#include <gtest/gtest.h>

#include <memory>
#include <vector>

// The builder's controls as the main window holds them: Check4 checked, Text2's change
// wired to SetPlaylistName. Messages are recorded instead of shown.
class BuilderFixture : public ::testing::Test
{
protected:
    struct Message {
        PlaylistBuilder::SaveOutcome outcome;
        QString text;
    };

    void SetUp() override
    {
        check4.setChecked(true);
        QObject::connect(&text2, &QLineEdit::textChanged, &builder, &PlaylistBuilder::SetPlaylistName);
        builder.setMessenger([this](PlaylistBuilder::SaveOutcome outcome, const QString& text) {
            messages.push_back({outcome, text});
        });
        builder.InitPlaylist();
    }

    PlaylistTextEdit text1;
    QLineEdit text2;
    QCheckBox check4;
    PlaylistBuilder builder {&text1, &text2, &check4};
    std::vector<Message> messages;
};
