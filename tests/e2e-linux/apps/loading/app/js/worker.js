self.onmessage = async (event) => {
  const response = await fetch('../data/config.json');
  const config = await response.json();
  self.postMessage({echo: event.data, n: config.n});
};
