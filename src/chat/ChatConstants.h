#pragma once
// Texts of the chat auto-reply.

// The reply command: kReplyCommand + chat name + " " + reply text (two blanks after the verb).
inline constexpr const char* kReplyCommand = "chatmessage  ";
// Notifications whose chat name the engine takes ("message" is the older form).
inline constexpr const char* kChatMessageWord = "chatmessage";
inline constexpr const char* kMessageWord = "message";
// The property of the answer that names a message's chat (case included).
inline constexpr const char* kChatNameProperty = "CHATNAME";
