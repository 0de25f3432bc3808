// Pages of the menu, named relative to the page that includes this script.
var menuPages = ["about/index.html", "gallery/index.html"];
var banner = 'img/banner.gif';
function openPage(page) {
  window.location.href = page;
}
