#include "SkypeSim.h"

QString CSkypeSim::UsageText()
{
    return QStringLiteral(R"(skypesim: a stand-in for the Skype desktop client, over the session bus.

It exports its API window at /com/Skype/Client (interface com.Skype.API.Window), answers the
Discover broadcasts of programs, answers their commands the way the client does, runs calls,
chats and status changes when told, and streams a call's audio to the TCP ports a program names
in "alter call N set_capture_mic port=..." and "alter call N set_output ... port=...".

Usage: skypesim [options]

Options:
  --attach MODE        how Discover is answered: succeed (default), pending (1, then 0 after
                       --pending-ms), refuse (2), unavailable (3), later (no answer until the
                       control line "available"). At start, in every mode but "later",
                       skypesim broadcasts AttachBroadcast 32769 (API available) once, so a
                       program that started first discovers it
  --pending-ms MS      delay between the pending answer and the success (default 300)
  --user HANDLE        the signed-in user (default kestrel.tester)
  --contacts LIST      contacts as "handle=Full Name,handle,..." (default
                       "alice=Alice Smith,bob=Bob Jones,+4930123"; "" for none)
  --userstatus WORD    USERSTATUS answer (default ONLINE)
  --connstatus WORD    CONNSTATUS answer (default ONLINE)
  --own-wav FILE       the own side (microphone) streams this WAV file, 16 kHz mono 16-bit
  --remote-wav FILE    the remote side (call output) streams this WAV file
  --own-tone HZ        the own side streams a sine tone (default 440; 0 = silence)
  --remote-tone HZ     the remote side streams a sine tone (default 660; 0 = silence)
  --fast               stream as fast as the reader takes it instead of every 10 ms
  --scenario FILE      run the control lines of FILE from the start
  --log FILE           also append every log line to FILE
  --window             show an X11 window of class "tSkMainForm.UnicodeClass" when a display
                       is available, and report its minimising and restoring
  --help               this text

Audio: 16000 Hz mono signed 16-bit little-endian PCM, in 320-byte blocks (10 ms), on a fixed
10 ms schedule (late blocks catch up; after a stall of more than 500 ms a new schedule starts).
A WAV file plays in a loop. Streams start when a call is in progress and both alter commands
have named their ports; each side keeps one connection per call. They close when the call ends
(FINISHED, MISSED, REFUSED, BUSY, CANCELLED, FAILED), on "audio stop", or when the reader
closes. After a closed side, the next pair of alter commands connects it again.

Standard output (one line per event, flushed):
  READY <window>        the API window is exported; <window> is its handle
  DISCOVER <window>     a program broadcast Discover
  ATTACH <window> <n>   Attach(client window, n) sent to the program
  BROADCAST <n>         AttachBroadcast(client window, n) signalled
  RECV <command>        a command taken from an attached program
  REJECT <command>      a command answered 0 ("copydata reject")
  SENT <text>           an answer or notification sent (one line per program)
  SENDFAIL <window> <error> <text>   a send the program did not take
  UNSENT <text>         a notification with no program attached
  IGNORED <what>        a call dropped (spoofed sender, unattached program, unresponsive)
  DETACHED <window>     a program left the bus
  AUDIO connected|failed|closed|stopped <own|remote> <port> <call> [...]
  DO <line>             a control line run;  BADCMD <line> : <reason>  one that was not
  TIMEOUT waitfor ...   a waitfor gave up;   WINDOW ...  X11 window events;  QUIT

Control lines (standard input and scenario files alike; "#" starts a comment):
  wait MS                       pause this runner (scenario or stdin) for MS milliseconds
  waitfor attached              pause until a program is attached
  waitfor discover              ... until the next Discover
  waitfor recv TEXT             ... until a command containing TEXT is received
  waitfor audio CALL            ... until both audio sides of CALL are connected
  waittimeout MS                waitfor gives up after MS (default 30000) and goes on
  quit                          exit
  attach MODE                   change how Discover is answered (modes as --attach)
  available                     mode succeed, and broadcast AttachBroadcast 32769
  broadcast [N]                 broadcast AttachBroadcast N (default 32769)
  sendattach N [WINDOW...]      send Attach N now (to every program that sent Discover)
  unresponsive | responsive     a lost client: ping and Discover go unanswered | answered again
  copydata reject [N]           answer 0 to every command (or to the next N) | copydata accept
  chatreport on|off             whether "chat create" is answered with CHAT ... STATUS DIALOG
  autoanswer MS|off             outgoing calls placed by "call" go INPROGRESS after MS
  me HANDLE                     the signed-in user
  contact HANDLE [FULL NAME]    add a contact;  contactstatus HANDLE WORD  notify its status
  userstatus WORD               USERSTATUS WORD;   connstatus WORD  CONNSTATUS WORD
  windowstate WORD              WINDOWSTATE WORD (MINIMIZED, NORMAL, HIDDEN, MAXIMIZED)
  window minimize|restore|hide  (with --window) change the X11 window; its state is notified
  window geometry X Y W H       move and resize the X11 window;  window close  destroy it
  notify TEXT                   send TEXT as it stands to every attached program
  incoming CALL HANDLE [pstn]   a ringing incoming call: CALL n STATUS RINGING
  outgoing CALL HANDLE [pstn]   an outgoing call: STATUS ROUTING, then RINGING
  answer CALL                   STATUS INPROGRESS
  hold CALL [local|remote|on]   STATUS LOCALHOLD | REMOTEHOLD | ONHOLD;  unhold CALL  INPROGRESS
  finish | miss | refuse CALL   STATUS FINISHED | MISSED | REFUSED
  status CALL WORD              STATUS WORD (any word, e.g. BUSY, CANCELLED, FAILED)
  duration CALL SECONDS         CALL n DURATION s
  dtmf CALL DIGIT               CALL n DTMF d
  conference CALL HANDLE...     makes CALL a conference: CONF_PARTICIPANTS_COUNT
  chatmsg ID CHAT FROM TEXT     an incoming chat message: CHATMESSAGE ID STATUS RECEIVED
  audio stop CALL               close both audio connections of CALL
  audio drop CALL own|remote    close one side (the program asks again, skypesim reconnects)

Commands answered (as the client does; anything else gives ERROR 2 Unknown command):
  ping -> PONG;  get currentuserhandle|connstatus|userstatus|skypeversion|windowstate;
  get user H fullname|onlinestatus|buddystatus;  search friends -> USERS a, b, c;
  get call N partner_handle|partner_dispname|type|status|duration|target_identity|
      conf_participants_count|conf_participant K;
  alter call N set_capture_mic port="P" | set_output soundcard="default", port="P" (echoed);
  alter call N answer|hold|resume|hangup;  call H -> CALL n STATUS UNPLACED, ROUTING, RINGING;
  chat create H -> CHAT <name> STATUS DIALOG;  open chat X -> OPEN CHAT X;
  chatmessage <chat> <text> -> CHATMESSAGE n STATUS SENDING (then SENT);
  get chatmessage N chatname|body|from_handle|from_dispname|status|type;  set userstatus W.

Ending: "quit", SIGTERM or SIGINT. Without --scenario, the end of standard input also ends
skypesim; with --scenario it keeps running after the end of input and after the scenario's last
line, until "quit" or a signal.

Example scenario (a recorded incoming call with a chat message):
  waitfor attached
  wait 500
  incoming 41 alice
  wait 1000
  answer 41
  waitfor audio 41
  wait 5000
  duration 41 5
  chatmsg 77 #alice/$kestrel.tester;1 alice hello there
  hold 41 remote
  wait 1000
  unhold 41
  wait 2000
  finish 41
  wait 500
  quit
)");
}
