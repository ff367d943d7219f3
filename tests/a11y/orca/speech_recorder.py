#!/usr/bin/python3
"""A speech server for tests: it speaks the speech-dispatcher protocol (SSIP) on a
Unix socket, as far as a screen reader's client uses it, and writes what it is asked
to say to a file, one JSON object a line ({"kind": "speak"|"char"|"key", "text"}).
Nothing is synthesised. Point the client at it with
SPEECHD_ADDRESS=unix_socket:SOCKET.
Usage: speech_recorder.py SOCKET LOG [--parent PID]"""
import argparse
import html
import json
import os
import re
import socketserver
import threading
import time

NEWLINE = b"\r\n"
END_OF_DATA = b"."

# SET parameters and the code the protocol answers each with; the client checks
# only that the code is 2xx, anything else raises in the screen reader.
SET_CODES = {
    "LANGUAGE": (201, "LANGUAGE SET"), "PRIORITY": (202, "PRIORITY SET"),
    "RATE": (203, "RATE SET"), "PITCH": (204, "PITCH SET"),
    "PUNCTUATION": (205, "PUNCTUATION SET"), "CAP_LET_RECOGN": (206, "CAP LET RECOGNITION SET"),
    "SPELLING": (207, "SPELLING SET"), "CLIENT_NAME": (208, "CLIENT NAME SET"),
    "VOICE_TYPE": (209, "VOICE SET"), "SYNTHESIS_VOICE": (209, "VOICE SET"),
    "OUTPUT_MODULE": (216, "OUTPUT MODULE SET"), "PAUSE_CONTEXT": (217, "PAUSE CONTEXT SET"),
    "VOLUME": (218, "VOLUME SET"), "SSML_MODE": (219, "SSML MODE SET"),
    "NOTIFICATION": (220, "NOTIFICATION SET"), "PITCH_RANGE": (263, "PITCH RANGE SET"),
    "DEBUG": (262, "DEBUGGING SET"),
}
GET_VALUES = {"RATE": "0", "PITCH": "0", "PITCH_RANGE": "0", "VOLUME": "100",
              "LANGUAGE": "en", "OUTPUT_MODULE": "recorder", "PUNCTUATION": "some"}
EVENTS = {"begin": (701, "BEGIN"), "end": (702, "END")}


class Recorder:
    def __init__(self, path):
        self.file = open(path, "a", encoding="utf-8")
        self.lock = threading.Lock()
        self.next_message = 1
        self.next_client = 1

    def write(self, kind, text):
        with self.lock:
            self.file.write(json.dumps({"t": round(time.monotonic(), 3), "kind": kind,
                                        "text": text}) + "\n")
            self.file.flush()

    def message_id(self):
        with self.lock:
            self.next_message += 1
            return self.next_message - 1

    def client_id(self):
        with self.lock:
            self.next_client += 1
            return self.next_client - 1


def spoken_text(ssml):
    """What a synthesiser would say for the client's SSML: the text, marks dropped."""
    return html.unescape(re.sub(r"<[^>]*>", "", ssml)).strip()


class Connection(socketserver.StreamRequestHandler):
    def setup(self):
        super().setup()
        self.recorder = self.server.recorder
        self.client = self.recorder.client_id()
        self.notifications = set()
        self.send_lock = threading.Lock()

    def reply(self, code, message, data=()):
        lines = ["%d-%s" % (code, item) for item in data] + ["%d OK %s" % (code, message)]
        self.send(lines)

    def send(self, lines):
        with self.send_lock:
            self.wfile.write(b"".join(line.encode("utf-8") + NEWLINE for line in lines))
            self.wfile.flush()

    def event(self, kind, message):
        if kind in self.notifications or "all" in self.notifications:
            code, word = EVENTS[kind]
            self.send(["%d-%d" % (code, message), "%d-%d" % (code, self.client),
                       "%d %s" % (code, word)])

    def read_data(self):
        lines = []
        while True:
            line = self.rfile.readline()
            if not line:
                return None
            line = line.rstrip(b"\r\n")
            if line == END_OF_DATA:
                return b"\n".join(lines).decode("utf-8", "replace")
            lines.append(line[1:] if line.startswith(b"..") else line)

    def utterance(self, kind, text):
        self.recorder.write(kind, text)
        message = self.recorder.message_id()
        self.reply(225, "MESSAGE QUEUED", [str(message)])
        # The client registers a message's callback only after this reply: the
        # events follow a moment later, as from a synthesiser that took its time.
        timer = threading.Timer(0.05, self.spoken, args=(message,))
        timer.daemon = True
        timer.start()

    def spoken(self, message):
        try:
            self.event("begin", message)
            self.event("end", message)
        except OSError:
            pass  # the client left

    def handle(self):
        while True:
            line = self.rfile.readline()
            if not line:
                return
            words = line.decode("utf-8", "replace").rstrip("\r\n").split(" ")
            command = words[0].upper()
            if command == "SPEAK":
                self.reply(230, "RECEIVING DATA")
                data = self.read_data()
                if data is None:
                    return
                self.utterance("speak", spoken_text(data))
            elif command in ("CHAR", "KEY", "SOUND_ICON"):
                self.utterance(command.lower(), " ".join(words[1:]))
            elif command == "SET":
                self.set(words[2:])
            elif command == "GET":
                name = words[1].upper() if len(words) > 1 else ""
                self.reply(251, "GET RETURNED", [GET_VALUES.get(name, "0")])
            elif command == "HISTORY":
                self.reply(240, "CLIENT ID SENT", [str(self.client)])
            elif command == "LIST":
                what = words[1].upper() if len(words) > 1 else ""
                if what == "SYNTHESIS_VOICES":
                    self.reply(249, "VOICE LIST SENT", ["recorder\ten\tnone"])
                elif what == "OUTPUT_MODULES":
                    self.reply(250, "MODULE LIST SENT", ["recorder"])
                else:
                    self.reply(249, "VOICE LIST SENT", ["MALE1"])
            elif command in ("CANCEL", "STOP"):
                self.recorder.write(command.lower(), "")
                self.reply(210 if command == "STOP" else 213,
                           "STOPPED" if command == "STOP" else "CANCELED")
            elif command in ("PAUSE", "RESUME"):
                self.reply(211 if command == "PAUSE" else 212, command + "D")
            elif command == "BLOCK":
                self.reply(260 if words[1:2] == ["begin"] else 261, "INSIDE BLOCK")
            elif command == "QUIT":
                self.reply(231, "HAPPY HACKING")
                return
            else:
                self.send(["300 ERR UNKNOWN COMMAND"])

    def set(self, words):
        name = words[0].upper() if words else ""
        if name == "NOTIFICATION" and len(words) >= 3:
            kind = words[1].lower()
            (self.notifications.add if words[2].lower() == "on"
             else self.notifications.discard)(kind)
        code, message = SET_CODES.get(name, (200, "SET"))
        self.reply(code, message)


class Server(socketserver.ThreadingMixIn, socketserver.UnixStreamServer):
    daemon_threads = True


def watch_parent(pid, server):
    """Ends the server when the test that started it is gone."""
    while True:
        time.sleep(0.5)
        try:
            os.kill(pid, 0)
        except OSError:
            server.shutdown()
            return


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("socket")
    parser.add_argument("log")
    parser.add_argument("--parent", type=int)
    arguments = parser.parse_args()
    if os.path.exists(arguments.socket):
        os.unlink(arguments.socket)
    server = Server(arguments.socket, Connection)
    server.recorder = Recorder(arguments.log)
    if arguments.parent:
        threading.Thread(target=watch_parent, args=(arguments.parent, server),
                         daemon=True).start()
    server.serve_forever(poll_interval=0.2)


if __name__ == "__main__":
    main()
