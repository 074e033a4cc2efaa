#!/usr/bin/python3
"""The IBus panel, held by the test itself.

IBus sends the candidate list (UpdateLookupTable), the auxiliary text and
the engine's properties only to the process that owns
org.freedesktop.IBus.Panel, and it takes property changes
(PropertyActivate) only from that process. So the test registers as the
panel: it sees the candidates Mozc offers, can wait on them, and can switch
the input mode.

`ibus_panel.py --serve` runs the panel service: one JSON line on stdout for
each call IBus makes, one JSON command a line on stdin. `Panel` starts it and
keeps the state it reports. It runs in a process of its own so that its
GLib main loop and the blocking AT-SPI calls of the test never share a loop.
"""
import json
import os
import subprocess
import sys
import threading
import time


def serve():
    import gi
    gi.require_version("IBus", "1.0")
    from gi.repository import GLib, IBus

    def send(**event):
        sys.stdout.write(json.dumps(event, ensure_ascii=False) + "\n")
        sys.stdout.flush()

    IBus.init()
    bus = IBus.Bus()
    if not bus.is_connected():
        send(event="error", reason="no IBus daemon at " + os.environ.get("IBUS_ADDRESS", "its default address"))
        return 1
    panel = IBus.PanelService.new(bus.get_connection())

    def text(t):
        return t.get_text() if t is not None else None

    def prop(p):
        subs, i, sub = [], 0, None
        if p.get_sub_props() is not None:
            while True:
                sub = p.get_sub_props().get(i)
                if sub is None:
                    break
                subs.append(prop(sub))
                i += 1
        return {"key": p.get_key(), "symbol": text(p.get_symbol()), "label": text(p.get_label()),
                "state": int(p.get_state()), "subs": subs}

    def properties(_, props):
        found, i = [], 0
        while True:
            p = props.get(i)
            if p is None:
                break
            found.append(prop(p))
            i += 1
        send(event="properties", properties=found)

    def table(_, t, visible):
        send(event="table", visible=bool(visible), cursor=t.get_cursor_pos(),
             candidates=[t.get_candidate(i).get_text() for i in range(t.get_number_of_candidates())])

    panel.connect("register-properties", properties)
    panel.connect("update-property", lambda _, p: send(event="property", property=prop(p)))
    panel.connect("update-lookup-table", table)
    panel.connect("hide-lookup-table", lambda _: send(event="hide-table"))
    panel.connect("update-auxiliary-text", lambda _, t, v: send(event="aux", text=text(t), visible=bool(v)))
    panel.connect("hide-auxiliary-text", lambda _: send(event="aux", text="", visible=False))
    panel.connect("set-cursor-location", lambda _, x, y, w, h: send(event="cursor", x=x, y=y, w=w, h=h))
    panel.connect("focus-in", lambda _, path: send(event="focus-in", context=path))
    panel.connect("focus-out", lambda _, path: send(event="focus-out", context=path))

    def command(channel, _):
        line = channel.readline()
        if not line:
            loop.quit()
            return False
        c = json.loads(line)
        if "activate" in c:
            panel.property_activate(c["activate"], c.get("state", IBus.PropState.CHECKED))
        return True

    loop = GLib.MainLoop()
    GLib.io_add_watch(GLib.IOChannel.unix_new(0), GLib.PRIORITY_DEFAULT, GLib.IOCondition.IN | GLib.IOCondition.HUP,
                      command)
    owner = bus.request_name("org.freedesktop.IBus.Panel", IBus.BusNameFlag.REPLACE_EXISTING)
    send(event="ready", owner=int(owner))
    loop.run()
    return 0


class Panel:
    """What the panel has been told so far: the events in order, each with a
    number, and the state they leave (candidates on show, input mode)."""

    def __init__(self, timeout=30.0):
        self.events = []
        self.lock = threading.Condition()
        self.process = subprocess.Popen([sys.executable, os.path.abspath(__file__), "--serve"],
                                        stdin=subprocess.PIPE, stdout=subprocess.PIPE, text=True, bufsize=1)
        threading.Thread(target=self._read, daemon=True).start()
        ready = self.wait_event("the test to own the IBus panel", lambda e: e["event"] in ("ready", "error"),
                                since=0, timeout=timeout)
        if ready["event"] == "error":
            raise AssertionError("the IBus panel could not start: " + ready["reason"])
        if ready["owner"] != 1:  # IBUS_BUS_REQUEST_NAME_REPLY_PRIMARY_OWNER
            raise AssertionError("another process holds the IBus panel (reply %d)" % ready["owner"])

    def _read(self):
        for line in self.process.stdout:
            event = json.loads(line)
            with self.lock:
                event["seq"] = len(self.events) + 1
                self.events.append(event)
                self.lock.notify_all()
        with self.lock:
            self.events.append({"event": "gone", "seq": len(self.events) + 1})
            self.lock.notify_all()

    def mark(self):
        """The number of the last event: wait_event(since=mark()) then
        sees only what came after an action."""
        with self.lock:
            return len(self.events)

    def wait_event(self, what, match, since, timeout=20.0, story_since=None):
        """The first event after the mark `since` that matches. When the time
        runs out, the message tells what the panel was told from the mark
        `story_since` (by default `since`) on."""
        end = time.monotonic() + timeout
        with self.lock:
            while True:
                for e in self.events[since:]:
                    if e["event"] == "gone":
                        raise AssertionError("the IBus panel ended while waiting for " + what)
                    if match(e):
                        return e
                left = end - time.monotonic()
                if left <= 0:
                    told = self.events[since if story_since is None else story_since:]
                    raise AssertionError("timed out waiting for %s; since then the panel was told: %s"
                                         % (what, " ".join(self._brief(e) for e in told[-40:]) or "nothing"))
                self.lock.wait(left)

    @staticmethod
    def _brief(e):
        """One event in a few characters: cursor@x, table[cursor:first
        candidate] (hidden ones in lower case), hide, aux, mode."""
        kind = e["event"]
        if kind == "cursor":
            return "cursor@%d" % e["x"]
        if kind == "table":
            first = e["candidates"][0] if e["candidates"] else ""
            return ("TABLE" if e["visible"] else "table") + "[%d:%s]" % (e["cursor"], first)
        if kind == "aux":
            return "aux(%s)" % e["text"]
        if kind in ("properties", "property"):
            return "mode(%s)" % Panel.mode_in(e)
        return kind

    def table_since(self, since, what, match=lambda t: True, timeout=20.0):
        """The first candidate list on show after `since` that matches."""
        return self.wait_event(what, lambda e: e["event"] == "table" and e["visible"] and match(e), since, timeout)

    def input_mode(self, since=0):
        """The symbol of Mozc's input mode (あ, A, ...) last reported, or None."""
        with self.lock:
            for e in reversed(self.events[since:]):
                found = self.mode_in(e)
                if found is not None:
                    return found
        return None

    @staticmethod
    def mode_in(e):
        props = e.get("properties") or ([e["property"]] if "property" in e else [])
        for p in props:
            if p["key"] == "InputMode":
                return p["symbol"]
        return None

    def wait_mode(self, symbol, since, timeout=20.0):
        return self.wait_event("Mozc's input mode to show " + symbol,
                               lambda e: self.mode_in(e) == symbol, since, timeout)

    def wait_conversion_shown(self, typing, space, what):
        """After romaji typed from the mark `typing` and Space pressed at the
        mark `space`: until Mozc has converted (its suggestions hidden) and
        the program shows the conversion.

        The program reports its caret to IBus (SetCursorLocation) each time
        it has drawn a new composition, in the order it drew them. While
        romaji are typed the caret stands after at least one composed
        character; a conversion puts it back at the start of the
        composition. So once a report after the Space lies left of the first
        one made during typing, the program holds the converted text,
        whatever reports were still on their way. The first report made
        during typing is the first after Mozc's first suggestions: a report
        of the caret from before typing (Home) reaches IBus before the first
        key does, so it cannot pass for the conversion either."""
        first_key = self.wait_event("Mozc to suggest words for the first key of " + what,
                                    lambda e: e["event"] == "table" and e["visible"], typing)
        first = self.wait_event("the program to show the composition of " + what,
                                lambda e: e["event"] == "cursor", first_key["seq"], story_since=typing)
        self.wait_event("Mozc to convert " + what + " (its suggestions hidden)",
                        lambda e: e["event"] == "hide-table", space, story_since=typing)
        # The program may report the converted composition before IBus
        # passes on Mozc's hiding of the suggestions: both follow the Space.
        self.wait_event("the program to show the conversion of %s (its caret left of %d)" % (what, first["x"]),
                        lambda e: e["event"] == "cursor" and e["x"] < first["x"], max(space, first["seq"]),
                        story_since=typing)

    def activate(self, key):
        self.process.stdin.write(json.dumps({"activate": key}) + "\n")
        self.process.stdin.flush()

    def close(self):
        if self.process.poll() is None:
            self.process.stdin.close()
            try:
                self.process.wait(timeout=5)
            except subprocess.TimeoutExpired:
                self.process.kill()
                self.process.wait()


if __name__ == "__main__" and sys.argv[1:] == ["--serve"]:
    sys.exit(serve())
