// Web control page of the simulated Tarvo 4K device: shows the live status of /api/status and sends
// the page's controls to the simulator.
(function () {
  "use strict";

  const REFRESH_MS = 2000;
  const state = { status: null, ending: null, timer: null };

  const $ = (id) => document.getElementById(id);

  async function request(method, path, body) {
    const options = { method: method, cache: "no-store", headers: {} };
    if (body !== undefined) {
      options.headers["Content-Type"] = "application/json";
      options.body = JSON.stringify(body);
    }
    const response = await fetch(path, options);
    const data = await response.json().catch(() => ({}));
    if (!response.ok) {
      throw new Error(data.error || ("HTTP " + response.status));
    }
    return data;
  }

  function formatUptime(seconds) {
    const h = Math.floor(seconds / 3600);
    const m = Math.floor((seconds % 3600) / 60);
    const s = Math.floor(seconds % 60);
    return (h > 0 ? h + " h " : "") + (h > 0 || m > 0 ? m + " min " : "") + s + " s";
  }

  function setLink(kind, text) {
    const badge = $("link-state");
    badge.className = "badge badge-" + kind;
    badge.textContent = text;
  }

  function setMessage(text, isError) {
    const message = $("power-message");
    message.textContent = text;
    message.classList.toggle("error", Boolean(isError));
  }

  function renderFacts(status) {
    document.title = status.deviceModel + " \u2013 " + (status.name || "Tarvo 4K");
    $("device-model").textContent = status.deviceModel;
    $("session-name").textContent = status.name || "(unnamed session)";
    $("fact-model").textContent = status.deviceModel + " (DEVICE_TYPE " + status.deviceType + ")";
    $("fact-version").textContent = status.version ? "v" + status.version : "unknown";
    $("fact-port").textContent = String(status.port);
    $("fact-audio").textContent = status.audioCard ? "Plugged" : "Not plugged";
    $("fact-uptime").textContent = formatUptime(status.uptimeSeconds);
    $("fact-webapp").textContent = status.webApplication === "session" ? "Session copy" : "Built-in copy";
    $("description").textContent = status.description || "";
  }

  function renderRouting(status) {
    const table = $("routing-matrix");
    const head = table.tHead.rows[0];
    if (head.cells.length !== status.inputs + 1) {
      while (head.cells.length > 1) head.deleteCell(1);
      for (let input = 1; input <= status.inputs; input++) {
        const th = document.createElement("th");
        th.scope = "col";
        th.textContent = "IN " + input;
        head.appendChild(th);
      }
    }
    const body = table.tBodies[0];
    status.routing.forEach((route, index) => {
      let row = body.rows[index];
      if (!row) {
        row = body.insertRow();
        const th = document.createElement("th");
        th.scope = "row";
        th.textContent = "OUT " + route.output;
        row.appendChild(th);
        for (let input = 1; input <= status.inputs; input++) {
          const button = document.createElement("button");
          button.type = "button";
          button.className = "cross";
          button.title = "IN " + input + " \u2192 OUT " + route.output;
          button.addEventListener("click", () => send("/api/routing", { output: route.output, input: input }));
          row.insertCell().appendChild(button);
        }
      }
      for (let input = 1; input <= status.inputs; input++) {
        row.cells[input].firstChild.setAttribute("aria-pressed", String(route.input === input));
      }
    });
  }

  function renderPatterns(status) {
    const chips = $("pattern-chips");
    if (chips.children.length !== status.testPatterns.length) {
      chips.textContent = "";
      status.testPatterns.forEach((pattern) => {
        const chip = document.createElement("button");
        chip.type = "button";
        chip.className = "chip";
        chip.setAttribute("role", "radio");
        chip.textContent = pattern;
        chip.addEventListener("click", () => send("/api/testpattern", { pattern: pattern }));
        chips.appendChild(chip);
      });
    }
    Array.from(chips.children).forEach((chip) => {
      chip.setAttribute("aria-checked", String(chip.textContent === status.testPattern));
    });
    $("pattern-note").textContent = status.testPattern === "Off"
      ? "Outputs follow the routing; the preview shows OUT 1."
      : "Every output shows the " + status.testPattern.toLowerCase() + " pattern.";
    drawPreview(status);
  }

  function drawPreview(status) {
    const canvas = $("pattern-preview");
    const g = canvas.getContext("2d");
    const w = canvas.width;
    const h = canvas.height;
    g.clearRect(0, 0, w, h);
    switch (status.testPattern) {
      case "Colour bars": {
        const bars = ["#C0C0C0", "#C0C000", "#00C0C0", "#00C000", "#C000C0", "#C00000", "#0000C0"];
        bars.forEach((colour, i) => {
          g.fillStyle = colour;
          g.fillRect(Math.floor(i * w / bars.length), 0, Math.ceil(w / bars.length), h);
        });
        break;
      }
      case "Luma ramp": {
        const ramp = g.createLinearGradient(0, 0, w, 0);
        ramp.addColorStop(0, "#000000");
        ramp.addColorStop(1, "#FFFFFF");
        g.fillStyle = ramp;
        g.fillRect(0, 0, w, h);
        break;
      }
      case "Checkerboard": {
        const size = 20;
        for (let y = 0; y < h; y += size) {
          for (let x = 0; x < w; x += size) {
            g.fillStyle = ((x + y) / size) % 2 === 0 ? "#FFFFFF" : "#000000";
            g.fillRect(x, y, size, size);
          }
        }
        break;
      }
      case "Black":
        g.fillStyle = "#000000";
        g.fillRect(0, 0, w, h);
        break;
      default: {
        const input = status.routing[0].input;
        g.fillStyle = "#1A2D3F";
        g.fillRect(0, 0, w, h);
        g.fillStyle = "#54C8FF";
        g.font = "600 28px sans-serif";
        g.textAlign = "center";
        g.textBaseline = "middle";
        g.fillText("SDI IN " + input, w / 2, h / 2);
      }
    }
  }

  function renderAudio(status) {
    const toggle = $("audio-embedded");
    toggle.disabled = !status.audioCard;
    toggle.checked = status.audioEmbedded;
    $("audio-note").textContent = status.audioCard
      ? (status.audioEmbedded ? "Audio is embedded in every output." : "The outputs carry no audio.")
      : "No audio card is plugged. The audio card is chosen when a session is created and is fixed once it is saved: create a new session in the launcher to have one with the card.";
    const list = $("card-list");
    list.textContent = "";
    status.cards.forEach((card) => {
      const item = document.createElement("li");
      const led = document.createElement("span");
      led.className = "led" + (card.plugged ? " on" : "");
      item.appendChild(led);
      item.appendChild(document.createTextNode(card.name));
      list.appendChild(item);
    });
  }

  function render(status) {
    state.status = status;
    renderFacts(status);
    renderRouting(status);
    renderPatterns(status);
    renderAudio(status);
  }

  async function send(path, body) {
    try {
      render(await request("POST", path, body));
      // An answer that comes after a shut down or reboot was accepted leaves that message standing.
      if (!state.ending) {
        setMessage("", false);
      }
    } catch (error) {
      if (!state.ending) {
        setMessage("The device refused: " + error.message, true);
      }
    }
  }

  async function refresh() {
    try {
      const status = await request("GET", "/api/status");
      render(status);
      setLink("running", "Running");
      if (state.ending === "reboot") {
        state.ending = null;
        setPowerButtons(true);
        setMessage("The device is back after its reboot.", false);
      }
    } catch (error) {
      if (state.ending === "shutdown") {
        setLink("offline", "Shut down");
        clearInterval(state.timer);
        return;
      }
      setLink(state.ending === "reboot" ? "waiting" : "offline",
              state.ending === "reboot" ? "Rebooting" : "Offline");
    }
  }

  function setPowerButtons(enabled) {
    $("shutdown-button").disabled = !enabled;
    $("reboot-button").disabled = !enabled;
  }

  async function power(action) {
    const question = action === "shutdown"
      ? "Shut down the simulated device?"
      : "Reboot the simulated device?";
    if (!window.confirm(question)) {
      return;
    }
    setPowerButtons(false);
    try {
      await request("POST", "/api/" + action, {});
      state.ending = action;
      if (action === "shutdown") {
        setLink("offline", "Shut down");
        setMessage("The device has shut down. Start the session again from the launcher.", false);
        clearInterval(state.timer);
      } else {
        setLink("waiting", "Rebooting");
        setMessage("Rebooting: the launcher starts the device again; this page reconnects by itself.", false);
      }
    } catch (error) {
      setPowerButtons(true);
      setMessage("The request failed: " + error.message, true);
    }
  }

  $("audio-embedded").addEventListener("change", (event) => {
    send("/api/audio", { embedded: event.target.checked });
  });
  $("shutdown-button").addEventListener("click", () => power("shutdown"));
  $("reboot-button").addEventListener("click", () => power("reboot"));

  refresh();
  state.timer = setInterval(refresh, REFRESH_MS);
})();
